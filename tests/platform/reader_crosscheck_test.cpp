// The streaming reader against the library reader: every export read both
// ways gives the same run description, spectra, arrays and parameters.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/openformat/open_format_export.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

std::string base64Floats(const std::vector<float>& values) {
    std::string bytes(values.size() * 4, '\0');
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return base64Bytes(bytes);
}

// The hand-written export with what the streaming reader must read as the
// library does, or leave to it: seconds, an entity in an id, 32-bit floats,
// a parameter group, a spectrum-level scan type code after a scan's.
std::string variedMzML() {
    std::string text = handWrittenMzML();
    text = replaced(text, "value=\"0.6\" unitCvRef=\"UO\" unitAccession=\"UO:0000031\" unitName=\"minute\"",
                    "value=\"36.5\" unitCvRef=\"UO\" unitAccession=\"UO:0000010\" unitName=\"second\"");
    text = replaced(text, "id=\"scan=2\"", "id=\"scan=2 &amp; more\"");
    text = replaced(text, "<scan>", "<scan><userParam name=\"scan type code\" value=\"7\"/>");
    text = replaced(text, "<userParam name=\"note\"", "<userParam name=\"scan type code\" value=\"12\"/><userParam name=\"note\"");
    const std::string doubles = base64Doubles({1000.0, 25000.5, 12000.0}, false);
    text = replaced(text, "<cvParam cvRef=\"MS\" accession=\"MS:1000523\" name=\"64-bit float\"/><cvParam cvRef=\"MS\" "
                          "accession=\"MS:1000576\" name=\"no compression\"/><cvParam cvRef=\"MS\" accession=\"MS:1000515\"",
                    "<cvParam cvRef=\"MS\" accession=\"MS:1000521\" name=\"32-bit float\"/><cvParam cvRef=\"MS\" "
                    "accession=\"MS:1000576\" name=\"no compression\"/><cvParam cvRef=\"MS\" accession=\"MS:1000515\"");
    const std::string floats = base64Floats({1000.0f, 25000.5f, 12000.1f});
    text = replaced(text, doubles, floats);
    text = replaced(text, "encodedLength=\"" + std::to_string(doubles.size()) + "\"><cvParam cvRef=\"MS\" accession=\"MS:1000521\"",
                    "encodedLength=\"" + std::to_string(floats.size()) + "\"><cvParam cvRef=\"MS\" accession=\"MS:1000521\"");
    text = replaced(text, "<softwareList", "<referenceableParamGroupList count=\"1\"><referenceableParamGroup id=\"G\">"
                                           "<cvParam cvRef=\"MS\" accession=\"MS:1000511\" name=\"ms level\" value=\"2\"/>"
                                           "</referenceableParamGroup></referenceableParamGroupList>\n<softwareList");
    return replaced(text, "<spectrum index=\"2\" id=\"scan=3\" defaultArrayLength=\"0\">",
                    "<spectrum index=\"2\" id=\"scan=3\" defaultArrayLength=\"0\"><referenceableParamGroupRef ref=\"G\"/>");
}

std::shared_ptr<const OpenFormatExport> openWith(const char* reader, const std::string& path) {
    setenv("QUARROW_READER", reader, 1);
    std::shared_ptr<const OpenFormatExport> opened = OpenFormatExport::open(path);
    unsetenv("QUARROW_READER");
    return opened;
}

void expectSameReading(const std::string& source, const TempDir& dir) {
    SCOPED_TRACE(source);
    const std::string name = std::filesystem::path(source).filename().string();
    std::filesystem::create_directories(dir.file("s"));
    std::filesystem::create_directories(dir.file("p"));
    std::filesystem::copy_file(source, dir.file("s/" + name));
    std::filesystem::copy_file(source, dir.file("p/" + name));
    const auto fast = openWith("streaming", dir.file("s/" + name));
    const auto reference = openWith("pwiz", dir.file("p/" + name));

    const ExportRunInfo& a = fast->runInfo();
    const ExportRunInfo& b = reference->runInfo();
    EXPECT_EQ(a.runId, b.runId);
    EXPECT_EQ(a.contactName, b.contactName);
    EXPECT_EQ(a.startTimeStamp, b.startTimeStamp);
    EXPECT_EQ(a.sampleName, b.sampleName);
    EXPECT_EQ(a.methodName, b.methodName);
    EXPECT_EQ(a.instrumentModels, b.instrumentModels);
    ASSERT_EQ(fast->spectrumCount(), reference->spectrumCount());
    ASSERT_GT(fast->spectrumCount(), 0u);
    for (std::size_t i = 0; i < fast->spectrumCount(); ++i) {
        SCOPED_TRACE(i);
        const ExportSpectrum s = fast->spectrum(i);
        const ExportSpectrum r = reference->spectrum(i);
        EXPECT_EQ(s.id, r.id);
        EXPECT_EQ(s.msLevel, r.msLevel);
        EXPECT_EQ(s.isMs1Spectrum, r.isMs1Spectrum);
        EXPECT_EQ(s.type, r.type);
        EXPECT_EQ(s.scanStartSeconds, r.scanStartSeconds);
        EXPECT_EQ(s.totalIonCurrent, r.totalIonCurrent);
        EXPECT_EQ(s.scanTypeCode, r.scanTypeCode);
        ASSERT_EQ(s.precursors.size(), r.precursors.size());
        for (std::size_t k = 0; k < s.precursors.size(); ++k) {
            EXPECT_EQ(s.precursors[k].selectedIonMz, r.precursors[k].selectedIonMz);
            EXPECT_EQ(s.precursors[k].isolationTargetMz, r.precursors[k].isolationTargetMz);
            EXPECT_EQ(s.precursors[k].mz, r.precursors[k].mz);
            EXPECT_EQ(s.precursors[k].chargeState, r.precursors[k].chargeState);
            EXPECT_EQ(s.precursors[k].collisionEnergy, r.precursors[k].collisionEnergy);
        }
        const ExportArrays x = fast->arrays(i);
        const ExportArrays y = reference->arrays(i);
        EXPECT_EQ(x.mz, y.mz);
        EXPECT_EQ(x.intensity, y.intensity);
        if (i < 2) {
            const std::vector<ExportParameter> p = fast->parameters(i);
            const std::vector<ExportParameter> q = reference->parameters(i);
            ASSERT_EQ(p.size(), q.size());
            for (std::size_t k = 0; k < p.size(); ++k) {
                EXPECT_EQ(p[k].group + p[k].name + "=" + p[k].value, q[k].group + q[k].name + "=" + q[k].value);
            }
        }
    }
}

TEST(ReaderCrossCheck, GeneratedExportsReadAlike) {
    const std::vector<std::string> options = {
        "--spectra 60 --output run.mzML",
        "--spectra 60 --profile --gzip --output run.mzML",
        "--spectra 60 --fragment-only --run-id 'A&B \"7\"' --output run.mzML",
        "--sciex qstar --samples 1 --profile --scan-type-codes --chargeless 0.3 --spectra 60 --output lys.wiff",
        "--sciex qtrap --enhanced-resolution --spectra 60 --output lys.wiff",
    };
    for (const std::string& option : options) {
        TempDir dir;
        const std::string command = "cd '" + dir.path() + "' && " + RUNGEN_PATH + " " + option + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (hasExportEnding(entry.path().filename().string())) expectSameReading(entry.path().string(), dir);
        }
    }
}

TEST(ReaderCrossCheck, HandWrittenAndRealExportsReadAlike) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> written = {
        {"hand.mzML", handWrittenMzML()}, {"varied.mzML", variedMzML()}, {"hand.mzXML", handWrittenMzXML()}};
    for (const auto& [name, text] : written) {
        writeWholeFile(dir.file(name), text);
        TempDir copies;
        expectSameReading(dir.file(name), copies);
    }
    const std::string real = std::string(QUARROW_REAL_DATA_DIR) + "/BSA_min_21.mzXML";
    if (fileExists(real)) {
        TempDir copies;
        expectSameReading(real, copies);
    }
}

}  // namespace
