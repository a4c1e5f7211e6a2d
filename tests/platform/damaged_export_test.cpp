#include <gtest/gtest.h>

#include <zlib.h>

#include "platform/msanalysis/ms_analysis.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

void writeGzip(const std::string& path, const std::string& content) {
    gzFile file = gzopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(gzwrite(file, content.data(), static_cast<unsigned>(content.size())), static_cast<int>(content.size()));
    gzclose(file);
}

HRESULT readAllPeaks(MSAnalysis& analysis, std::string& description) {
    try {
        const MSSpectrumCollection spectra = analysis.getSpectra();
        for (std::int32_t i = 1; i <= spectra.getCount(); ++i) {
            std::vector<double> mz, intensity;
            std::int32_t count = 0;
            spectra.getItem(i).getData(0, mz, intensity, count);
        }
    } catch (const ComError& error) {
        description = error.description();
        return error.code();
    }
    return S_OK;
}

}  // namespace

TEST(DamagedExport, CompressedExportReadsLikeThePlainOne) {
    TempDir dir;
    writeGzip(dir.file("Analysis.mzML.gz"), handWrittenMzML());
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(dir.path()), S_OK) << analysis.openFailureDescription();
    EXPECT_EQ(analysis.getSpectra().getCount(), 3);
    std::string description;
    EXPECT_EQ(readAllPeaks(analysis, description), S_OK) << description;
}

TEST(DamagedExport, EmptyFileIsUnreadable) {
    TempDir dir;
    writeWholeFile(dir.file("Analysis.mzML"), "");
    MSAnalysis analysis;
    EXPECT_EQ(analysis.Open(dir.path()), E_FAIL);
    EXPECT_NE(analysis.openFailureDescription().find("empty"), std::string::npos);
}

TEST(DamagedExport, TruncationAnywhereIsAnErrorNotAShorterRun) {
    const std::string whole = handWrittenMzML();
    // Cut right after the first spectrum (a clean cut between two elements)
    // and in the middle of the second one.
    const std::size_t afterFirst = whole.find("</spectrum>") + std::string("</spectrum>\n").size();
    for (const std::size_t cut : {afterFirst, afterFirst + 200, whole.size() / 2}) {
        TempDir dir;
        writeWholeFile(dir.file("r.mzML"), whole.substr(0, cut));
        MSAnalysis analysis;
        EXPECT_EQ(analysis.Open(dir.file("r.mzML")), E_FAIL) << cut;
        EXPECT_NE(analysis.openFailureDescription().find("incomplete"), std::string::npos);
    }
    TempDir dir;
    writeGzip(dir.file("whole.mzML.gz"), whole);
    const std::string packed = readWholeFile(dir.file("whole.mzML.gz"));
    writeWholeFile(dir.file("cut.mzML.gz"), packed.substr(0, packed.size() - 40));
    MSAnalysis analysis;
    EXPECT_EQ(analysis.Open(dir.file("cut.mzML.gz")), E_FAIL);
    EXPECT_NE(analysis.openFailureDescription().find("cut.mzML.gz"), std::string::npos);
}

TEST(DamagedExport, GarbledContentFailsOpenOrTheRead) {
    // Text that is not XML, and a closing precursor tag that nothing opened.
    const std::pair<std::string, std::string> garblings[] = {
        {"<spectrum index=\"1\"", "<<<%%% not xml at all %%%>>>>>"},
        {"defaultArrayLength=\"3\">", "defaultArrayLength=\"3\"></precursor>"},
    };
    for (const auto& [anchor, replacement] : garblings) {
        std::string garbled = handWrittenMzML();
        const std::size_t at = garbled.find(anchor);
        ASSERT_NE(at, std::string::npos) << anchor;
        garbled.replace(at, anchor.size(), replacement);
        TempDir dir;
        writeWholeFile(dir.file("g.mzML"), garbled);
        MSAnalysis analysis;
        const HRESULT opened = analysis.Open(dir.file("g.mzML"));
        if (SUCCEEDED(opened)) {
            std::string description;
            EXPECT_TRUE(FAILED(readAllPeaks(analysis, description))) << replacement;
            EXPECT_FALSE(description.empty());
        } else {
            EXPECT_EQ(opened, E_FAIL) << replacement;
        }
    }
}

TEST(DamagedExport, NonNumericBinaryArrayIsAnError) {
    TempDir dir;
    writeWholeFile(dir.file("b.mzML"), handWrittenMzML("this is not base64 at all!"));
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(dir.file("b.mzML")), S_OK) << analysis.openFailureDescription();
    std::string description;
    EXPECT_EQ(readAllPeaks(analysis, description), E_FAIL);
    EXPECT_NE(description.find("Spectrum 1"), std::string::npos) << description;
}

TEST(DamagedExport, NotAnExportAtAll) {
    TempDir dir;
    writeWholeFile(dir.file("Analysis.mzXML"), "hello\n</mzXML>\n");
    MSAnalysis analysis;
    EXPECT_EQ(analysis.Open(dir.path()), E_FAIL);
    EXPECT_NE(analysis.openFailureDescription().find("cannot be read as mzML or mzXML"), std::string::npos);
}
