// Exports that disagree with themselves fail with an error naming the file
// and the spectrum, through both readers and both stand-ins; none is read as
// a shorter run or as other numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/analyst/wiff_application.h"
#include "platform/msanalysis/ms_analysis.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::runtime_error("fixture lacks " + from);
    return text.replace(at, from.size(), to);
}

// Some characters in the middle of the first m/z array replaced.
std::string foreignBase64(const std::string& whole, const std::string& foreign) {
    const std::size_t at = whole.find("<binary>") + 8 + 12;
    std::string text = whole;
    return text.replace(at, foreign.size(), foreign);
}

std::string generatedMzML(const TempDir& dir) {
    const std::string path = dir.file("gen.mzML");
    const std::string command = std::string(RUNGEN_PATH) + " --spectra 12 --output '" + path + "' > /dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error(command);
    return readWholeFile(path);
}

// The first error met opening the run and reading every spectrum, "" when none.
std::string readThrough(const std::string& path) {
    MSAnalysis analysis;
    if (FAILED(analysis.Open(path))) return analysis.openFailureDescription();
    try {
        const MSSpectrumCollection spectra = analysis.getSpectra();
        for (std::int32_t i = 1; i <= spectra.getCount(); ++i) {
            std::vector<double> mz, intensity;
            std::int32_t count = 0;
            spectra.getItem(i).getData(0, mz, intensity, count);
        }
    } catch (const ComError& error) {
        return error.description();
    }
    return {};
}

struct Damage {
    const char* what;
    const char* fileName;
    std::function<std::string(const TempDir&)> text;
    const char* mentions;  // besides the file name
};

class ReaderChoice : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { setenv("QUARROW_READER", GetParam(), 1); }
    void TearDown() override { unsetenv("QUARROW_READER"); }
};

TEST_P(ReaderChoice, ExportsThatDisagreeWithThemselvesFail) {
    const std::string mzML = handWrittenMzML();
    const std::string mzXML = handWrittenMzXML();
    const std::size_t afterFirst = mzML.find("</spectrum>") + 12;
    const std::vector<Damage> cases = {
        {"cut after a spectrum and closed again", "a.mzML",
         [&](const TempDir&) { return mzML.substr(0, afterFirst) + "</spectrumList></run></mzML>\n"; }, "3 spectra but holds 1"},
        {"a spectrum's index out of place", "b.mzML", [&](const TempDir&) { return replaced(mzML, "index=\"1\"", "index=\"2\""); },
         "spectrum 2"},
        {"an indexed export missing one spectrum", "c.mzML",
         [&](const TempDir& dir) {
             const std::string whole = generatedMzML(dir);
             const std::size_t from = whole.find("<spectrum index=\"5\"");
             const std::size_t to = whole.find("<spectrum index=\"6\"");
             std::string text = whole.substr(0, from) + whole.substr(to);
             text = replaced(text, "<spectrum index=\"6\"", "<spectrum index=\"5\"");
             for (int i = 7; i <= 11; ++i) {
                 text = replaced(text, "<spectrum index=\"" + std::to_string(i) + "\"", "<spectrum index=\"" + std::to_string(i - 1) + "\"");
             }
             return replaced(text, "<spectrumList count=\"12\"", "<spectrumList count=\"11\"");
         },
         "index"},
        {"characters outside the base64 alphabet", "d.mzML", [&](const TempDir&) { return foreignBase64(mzML, "#!%~"); },
         "Spectrum 1"},
        {"more points declared than encoded", "e.mzML",
         [&](const TempDir&) { return replaced(mzML, "defaultArrayLength=\"3\"", "defaultArrayLength=\"4\""); }, "Spectrum 1"},
        {"an array length that is not the spectrum's", "f.mzML",
         [&](const TempDir&) { return replaced(mzML, "<binaryDataArray encodedLength", "<binaryDataArray arrayLength=\"2\" encodedLength"); },
         "Spectrum 1"},
        {"mzXML peaksCount 0 with peaks present", "g.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "peaksCount=\"2\"", "peaksCount=\"0\""); }, "Spectrum 1"},
        {"mzXML peaksCount beyond its peaks", "h.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "peaksCount=\"1\"", "peaksCount=\"3\""); }, "Spectrum 2"},
        {"mzXML scan count beyond its scans", "i.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "scanCount=\"2\"", "scanCount=\"3\""); }, "3 scans but holds 2"},
    };
    for (const Damage& damage : cases) {
        TempDir dir;
        const std::string path = dir.file(damage.fileName);
        writeWholeFile(path, damage.text(dir));
        const std::string error = readThrough(path);
        EXPECT_NE(error.find(path), std::string::npos) << damage.what << ": " << error;
        EXPECT_NE(error.find(damage.mentions), std::string::npos) << damage.what << ": " << error;
    }
}

// Some converters wrap the base64 lines; the library reader refuses them.
TEST(StreamingReader, WrappedBase64ReadsLikeTheUnwrapped) {
    const std::string whole = handWrittenMzML();
    std::string wrapped = whole;
    for (std::size_t at = wrapped.find("<binary>"); at != std::string::npos; at = wrapped.find("<binary>", at + 1)) {
        wrapped.insert(at + 8 + 16, "\n  ");
        wrapped.insert(at + 8 + 4, "\r\n\t");
        const std::size_t length = wrapped.rfind("encodedLength=\"", at) + 15;
        const std::size_t end = wrapped.find('"', length);
        const std::size_t text = wrapped.find('<', at + 8) - (at + 8);
        wrapped.replace(length, end - length, std::to_string(text));
    }
    TempDir dir;
    writeWholeFile(dir.file("plain.mzML"), whole);
    writeWholeFile(dir.file("wrapped.mzML"), wrapped);
    MSAnalysis plain, lines;
    ASSERT_EQ(plain.Open(dir.file("plain.mzML")), S_OK);
    ASSERT_EQ(lines.Open(dir.file("wrapped.mzML")), S_OK) << lines.openFailureDescription();
    for (std::int32_t i = 1; i <= 2; ++i) {
        std::vector<double> mz, intensity, wrappedMz, wrappedIntensity;
        std::int32_t count = 0;
        plain.getSpectra().getItem(i).getData(0, mz, intensity, count);
        lines.getSpectra().getItem(i).getData(0, wrappedMz, wrappedIntensity, count);
        EXPECT_EQ(mz, wrappedMz);
        EXPECT_EQ(intensity, wrappedIntensity);
        EXPECT_FALSE(mz.empty());
    }
}

TEST_P(ReaderChoice, DamagedSampleExportFailsTheWiffOpening) {
    TempDir dir;
    writeWholeFile(dir.file("lys-1.mzML"), handWrittenMzML());
    writeWholeFile(dir.file("lys-2.mzML"), foreignBase64(handWrittenMzML(), "$$$$"));
    try {
        WiffApplication().openWiff(dir.file("lys.wiff"), 1);
        ADD_FAILURE() << "opened";
    } catch (const ComError& error) {
        EXPECT_EQ(error.code(), E_FAIL);
        EXPECT_NE(error.description().find("lys-2.mzML"), std::string::npos) << error.description();
    }
}

INSTANTIATE_TEST_SUITE_P(BothReaders, ReaderChoice, ::testing::Values("streaming", "pwiz"));

}  // namespace
