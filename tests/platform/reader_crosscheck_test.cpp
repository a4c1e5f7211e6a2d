// The streaming reader against the library reader: every export read both
// ways gives the same run description, spectra, arrays and parameters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "core/util/format_text.h"
#include "platform/openformat/open_format_export.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/work_folder.h"

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

// What a reader gives of an export but the arrays, as text; reals to the last bit.
std::string reading(const OpenFormatExport& file) {
    const auto real = [](std::optional<double> v) { return v ? formatText("%a ", *v) : std::string("- "); };
    const auto text = [](const std::optional<std::string>& v) { return v ? "'" + *v + "' " : std::string("- "); };
    const ExportRunInfo& info = file.runInfo();
    std::string out = info.runId + "|" + info.contactName + "|" + info.startTimeStamp + "|";
    for (const std::string& sample : info.sampleNames) out += sample + ",";
    out += "|" + info.methodName;
    for (const std::string& model : info.instrumentModels) out += "|" + model;
    for (std::size_t i = 0; i < file.spectrumCount(); ++i) {
        const ExportSpectrum s = file.spectrum(i);
        out += formatText("\n%s %d %d %d ", s.id.c_str(), s.msLevel, s.isMs1Spectrum, static_cast<int>(s.type)) +
               real(s.scanStartSeconds) + text(s.totalIonCurrent) + text(s.scanTypeCode);
        for (const ExportPrecursor& p : s.precursors) {
            out += "[" + real(p.selectedIonMz) + real(p.isolationTargetMz) + real(p.mz) + text(p.chargeState) +
                   real(p.collisionEnergy) + "]";
        }
        if (i >= 2) continue;
        for (const ExportParameter& p : file.parameters(i)) out += "\n  " + p.group + p.name + "=" + p.value;
    }
    return out;
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
    ASSERT_GT(reference->spectrumCount(), 0u);
    EXPECT_EQ(reading(*fast), reading(*reference));
    for (std::size_t i = 0; i < std::min(fast->spectrumCount(), reference->spectrumCount()); ++i) {
        const ExportArrays x = fast->arrays(i);
        const ExportArrays y = reference->arrays(i);
        EXPECT_TRUE(x.mz == y.mz && x.intensity == y.intensity) << "arrays of spectrum " << i;
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

// MS-Numpress as the library writes it: each coding for m/z and intensity,
// with and without zlib on top; and mzXML.
TEST(ReaderCrossCheck, NumpressAndMzXMLWrittenByTheLibraryReadAlike) {
    TempDir dir;
    runGenerator("--spectra 30 --profile --output " + dir.file("run.mzML"));
    const std::vector<std::tuple<std::string, std::string, bool>> codings = {
        {"linear", "slof", false}, {"linear", "pic", true}, {"pic", "linear", false}, {"slof", "slof", true}};
    for (const auto& [mz, intensity, zlib] : codings) {
        const std::string name = dir.file(mz + "-" + intensity + (zlib ? "-zlib" : "") + ".mzML");
        asNumpressMzML(dir.file("run.mzML"), name, mz, intensity, zlib);
        TempDir copies;
        expectSameReading(name, copies);
    }
    asMzXML(dir.file("run.mzML"), dir.file("run.mzXML"));
    TempDir copies;
    expectSameReading(dir.file("run.mzXML"), copies);
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

// Every construct XML allows where the exports' own markup stands, each
// read by this project's reader as the export without it, with no warning.
TEST(LegalXml, EachConstructReadAsTheCleanExport) {
    const std::string mzML = handWrittenMzML();
    const std::string mzXML = handWrittenMzXML();
    const std::string firstBinary = "<binary>AAAAAAAEeUAAAAAAANR7QAAAAAAA3HtA</binary>";
    std::string crlf;
    for (const char c : mzML) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::vector<std::tuple<const char*, std::string, std::string>> cases = {
        {"'>' in an attribute value", "a.mzML", replaced(mzML, "id=\"scan=1\"", "id=\"scan=1\" spotID=\"a -> b\" note='&lt;x>'")},
        {"comments", "b.mzML",
         replaced(replaced(replaced(mzML, "<spectrum index=\"0\"", "<!-- <spectrum index=\"9\" id=\"no\"> -->\n<spectrum index=\"0\""),
                           firstBinary, "<binary><!-- base64 follows -->AAAAAAAEeUAAAAAA<!---->ANR7QAAAAAAA3HtA</binary>"),
                  "</mzML>", "</mzML>\n<!-- written by hand -->\n")},
        {"CDATA and a processing instruction", "c.mzML",
         replaced(replaced(mzML, firstBinary, "<binary><![CDATA[AAAAAAAEeUAAAAAAANR7QAAAAAAA3HtA]]></binary>"),
                  "<spectrum index=\"0\"", "<?note a > b?><spectrum index=\"0\"")},
        {"document type with an internal subset", "d.mzML",
         replaced(mzML, "<mzML ", "<!DOCTYPE mzML [\n<!ENTITY fake \"<spectrum index='9' id='x'>\">\n<!-- ]> -->\n"
                                  "<!ATTLIST spectrum note CDATA '>'>\n]>\n<mzML ")},
        {"references", "e.mzML",
         replaced(replaced(mzML, "id=\"scan=1\"", "id=\"scan&#61;&#x31;\""), "index=\"0\"", "index=\"&#48;\"")},
        {"line ends CR LF", "f.mzML", crlf},
        {"mzXML: comment in the precursor, CDATA peaks", "g.mzXML",
         replaced(replaced(mzXML, ">500.5</precursorMz>", "><!-- m/z -->500&#46;5</precursorMz>"),
                  ">QGXjztkWhytAqcgAAAAAAA==</peaks>", "><![CDATA[QGXjztkWhytAqcgAAAAAAA==]]></peaks>")},
    };
    TempDir dir;
    writeWholeFile(dir.file("clean.mzML"), mzML);
    writeWholeFile(dir.file("clean.mzXML"), mzXML);
    for (const auto& [what, name, text] : cases) {
        SCOPED_TRACE(what);
        writeWholeFile(dir.file(name), text);
        const auto clean = openWith("own", dir.file(name.ends_with("mzXML") ? "clean.mzXML" : "clean.mzML"));
        const auto legal = openWith("own", dir.file(name));
        EXPECT_EQ(reading(*legal), reading(*clean));
        EXPECT_EQ(legal->warnings(), std::vector<std::string>());
        for (std::size_t i = 0; i < clean->spectrumCount(); ++i) {
            const ExportArrays x = legal->arrays(i);
            const ExportArrays y = clean->arrays(i);
            EXPECT_TRUE(x.mz == y.mz && x.intensity == y.intensity) << "arrays of spectrum " << i;
        }
    }
}

// The checksum an indexed export states: a stale one warns, a correct one
// and OpenMS's placeholder "0" do not.
TEST(ExportChecksumWarning, StaleWarnsCorrectAndPlaceholderSilent) {
    TempDir dir;
    runGenerator("--spectra 20 --output " + dir.file("run.mzML"));
    const std::string indexed = readWholeFile(dir.file("run.mzML"));
    const std::string stale = replaced(indexed, "\n    <fileDescription>", "     <fileDescription>");
    const std::size_t from = stale.find("<fileChecksum>") + 14;
    const std::string placeholder = stale.substr(0, from) + "0" + stale.substr(stale.find("</fileChecksum>"));
    const std::vector<std::tuple<const char*, std::string, std::size_t>> cases = {
        {"correct", indexed, 0}, {"stale", stale, 1}, {"placeholder", placeholder, 0}};
    for (const auto& [what, text, warnings] : cases) {
        SCOPED_TRACE(what);
        const std::string path = dir.file(std::string(what) + ".mzML");
        writeWholeFile(path, text);
        const std::vector<std::string> found = openWith("own", path)->warnings();
        ASSERT_EQ(found.size(), warnings);
        if (warnings != 0) {
            EXPECT_NE(found[0].find("was changed after it was written"), std::string::npos) << found[0];
        }
    }
}

}  // namespace
