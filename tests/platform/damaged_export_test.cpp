// Damaged exports, and exports that disagree with themselves, fail with an
// error naming the file through both readers; none is read as a shorter run
// or as other numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/msanalysis/ms_analysis.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/work_folder.h"

namespace {

// Some characters in the middle of the first m/z array replaced.
std::string foreignBase64(const std::string& whole, const std::string& foreign) {
    const std::size_t at = whole.find("<binary>") + 8 + 12;
    std::string text = whole;
    return text.replace(at, foreign.size(), foreign);
}

std::string generatedMzML(const TempDir& dir) {
    runGenerator("--spectra 12 --output " + dir.file("gen.mzML"));
    return readWholeFile(dir.file("gen.mzML"));
}

std::string withoutSpectrumFive(const std::string& whole) {
    const std::size_t from = whole.find("<spectrum index=\"5\"");
    const std::size_t to = whole.find("<spectrum index=\"6\"");
    std::string text = whole.substr(0, from) + whole.substr(to);
    for (int i = 6; i <= 11; ++i) {
        text = replaced(text, "<spectrum index=\"" + std::to_string(i) + "\"", "<spectrum index=\"" + std::to_string(i - 1) + "\"");
    }
    return replaced(text, "<spectrumList count=\"12\"", "<spectrumList count=\"11\"");
}

std::string gzipped(const TempDir& dir, const std::string& text) {
    writeGzip(dir.file("packed.gz"), text);
    return readWholeFile(dir.file("packed.gz"));
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

TEST_P(ReaderChoice, DamagedExportsFailNamingTheFile) {
    const std::string mzML = handWrittenMzML();
    const std::string mzXML = handWrittenMzXML();
    const std::size_t afterFirst = mzML.find("</spectrum>") + 12;
    const std::vector<Damage> cases = {
        {"empty", "a.mzML", [&](const TempDir&) { return ""; }, "is empty"},
        {"not an export", "b.mzXML", [&](const TempDir&) { return "hello\n</mzXML>\n"; }, "cannot be read as mzML or mzXML"},
        // A clean cut between two spectra still parses.
        {"cut after a spectrum", "c.mzML", [&](const TempDir&) { return mzML.substr(0, afterFirst); }, "incomplete"},
        {"cut inside a spectrum", "d.mzML", [&](const TempDir&) { return mzML.substr(0, afterFirst + 200); }, "incomplete"},
        {"compressed and cut", "e.mzML.gz",
         [&](const TempDir& dir) {
             const std::string packed = gzipped(dir, mzML);
             return packed.substr(0, packed.size() - 40);
         },
         ""},
        {"text that is not XML", "f.mzML",
         [&](const TempDir&) { return replaced(mzML, "<spectrum index=\"1\"", "<<<%%% not xml at all %%%>>>>>"); }, ""},
        {"a closing tag nothing opened", "g.mzML",
         [&](const TempDir&) { return replaced(mzML, "defaultArrayLength=\"3\">", "defaultArrayLength=\"3\"></precursor>"); },
         ""},
        {"cut after a spectrum and closed again", "h.mzML",
         [&](const TempDir&) { return mzML.substr(0, afterFirst) + "</spectrumList></run></mzML>\n"; }, "3 spectra but holds 1"},
        {"a spectrum's index out of place", "i.mzML", [&](const TempDir&) { return replaced(mzML, "index=\"1\"", "index=\"2\""); },
         "spectrum 2"},
        {"an indexed export missing one spectrum", "j.mzML",
         [&](const TempDir& dir) { return withoutSpectrumFive(generatedMzML(dir)); }, "index"},
        {"characters outside the base64 alphabet", "k.mzML", [&](const TempDir&) { return foreignBase64(mzML, "#!%~"); },
         "Spectrum 1"},
        {"more points declared than encoded", "l.mzML",
         [&](const TempDir&) { return replaced(mzML, "defaultArrayLength=\"3\"", "defaultArrayLength=\"4\""); }, "Spectrum 1"},
        {"an array length that is not the spectrum's", "m.mzML",
         [&](const TempDir&) { return replaced(mzML, "<binaryDataArray encodedLength", "<binaryDataArray arrayLength=\"2\" encodedLength"); },
         "Spectrum 1"},
        {"mzXML peaksCount 0 with peaks present", "n.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "peaksCount=\"2\"", "peaksCount=\"0\""); }, "Spectrum 1"},
        {"mzXML peaksCount beyond its peaks", "o.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "peaksCount=\"1\"", "peaksCount=\"3\""); }, "Spectrum 2"},
        {"mzXML scan count beyond its scans", "p.mzXML",
         [&](const TempDir&) { return replaced(mzXML, "scanCount=\"2\"", "scanCount=\"3\""); }, "3 scans but holds 2"},
    };
    for (const Damage& damage : cases) {
        TempDir dir;
        const std::string path = dir.file(damage.fileName);
        writeWholeFile(path, damage.text(dir));
        const std::string error = firstReadError(path);
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

INSTANTIATE_TEST_SUITE_P(BothReaders, ReaderChoice, ::testing::Values("streaming", "pwiz"));

}  // namespace
