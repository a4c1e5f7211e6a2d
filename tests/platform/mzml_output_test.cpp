// The mzML peak lists as other tools take them: both programs, started as a
// web server starts them, on generated runs with peakListFormat=mgf,mzml.
// Each mzML file is valid against the format's schema (xmllint, with the
// schemas OpenMS ships) and OpenMS's own rules (FileInfo), and is read, by
// this project's reader and by ProteoWizard's library alike, to the very
// values of the MGF file beside it, with the source export's native ids
// and checksum. Asking for it changes no other file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "core/util/format_text.h"
#include "core/util/sha1.h"
#include "platform/openformat/export_reader.h"
#include "tests/support/work_folder.h"

namespace fs = std::filesystem;

namespace {

struct MgfBlock {
    std::string title;
    double mz = 0.0;
    double intensity = 0.0;
    std::optional<std::string> charge;  // as "2", where the MGF states one
    int firstScan = 0;
    int lastScan = 0;
    std::optional<double> retentionSeconds;
    std::vector<double> peakMz;
    std::vector<double> peakIntensity;
};

// The values a reader of the MGF text takes.
std::vector<MgfBlock> readMgf(const std::string& text) {
    std::vector<MgfBlock> blocks;
    for (const std::string& line : splitText(text)) {
        if (line == "BEGIN IONS") {
            blocks.emplace_back();
        } else if (line.starts_with("TITLE=")) {
            blocks.back().title = line.substr(6);
        } else if (line.starts_with("PEPMASS=")) {
            char* end = nullptr;
            blocks.back().mz = std::strtod(line.c_str() + 8, &end);
            blocks.back().intensity = std::strtod(end, nullptr);
        } else if (line.starts_with("CHARGE=")) {
            blocks.back().charge = line.substr(7, line.size() - 8);
        } else if (line.starts_with("SCANS=")) {
            std::sscanf(line.c_str() + 6, "%d-%d", &blocks.back().firstScan, &blocks.back().lastScan);
        } else if (line.starts_with("RTINSECONDS=")) {
            blocks.back().retentionSeconds = std::strtod(line.c_str() + 12, nullptr);
        } else if (!line.empty() && line != "END IONS") {
            char* end = nullptr;
            blocks.back().peakMz.push_back(std::strtod(line.c_str(), &end));
            blocks.back().peakIntensity.push_back(std::strtod(end, nullptr));
        }
    }
    return blocks;
}

// What a named tool printed, with its status; a tool that is not there fails.
ChildResult runTool(const std::string& tool, const std::vector<std::string>& arguments, const std::string& folder) {
    EXPECT_TRUE(fs::exists(tool)) << tool << " is not installed (./setup.sh test installs it)";
    return runProgram({tool, folder, {{"PATH", "/usr/bin:/bin"}, {"HOME", folder}}, "", arguments});
}

// One mzML file beside its MGF file, and the export its spectra came from;
// `nativeIdOf(block)` is the export's id of the block's first scan.
struct MzmlCase {
    std::string mzml;
    std::string mgf;
    std::string source;
    std::function<std::string(const MgfBlock&)> nativeIdOf;
};

void expectValidAsOtherToolsSeeIt(const std::string& path, std::size_t spectra, const std::string& folder) {
    const ChildResult schema = runTool(XMLLINT_PATH, {"--noout", "--schema", MZML_SCHEMA, path}, folder);
    EXPECT_EQ(schema.exitStatus, 0) << schema.output;
    const ChildResult semantic = runTool(FILEINFO_PATH, {"-in", path, "-v"}, folder);
    EXPECT_EQ(semantic.exitStatus, 0) << semantic.output;
    EXPECT_NE(semantic.output.find("Success - the file is valid!"), std::string::npos) << semantic.output;
    EXPECT_NE(semantic.output.find("Success - the file is semantically valid!"), std::string::npos) << semantic.output;
    EXPECT_EQ(semantic.output.find("Failed"), std::string::npos) << semantic.output;
    const ChildResult summary = runTool(FILEINFO_PATH, {"-in", path, "-c"}, folder);
    EXPECT_EQ(summary.exitStatus, 0) << summary.output;
    EXPECT_NE(summary.output.find("Number of spectra: " + std::to_string(spectra) + "\n"), std::string::npos)
        << summary.output;
}

void expectReadAsTheMgf(const MzmlCase& c, const ExportReader& reader) {
    const std::vector<MgfBlock> blocks = readMgf(readWholeFile(c.mgf));
    ASSERT_EQ(reader.spectrumCount(), blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const MgfBlock& b = blocks[i];
        SCOPED_TRACE(b.title);
        const ExportSpectrum s = reader.spectrum(i);
        EXPECT_EQ(s.id, c.nativeIdOf(b));
        EXPECT_EQ(s.msLevel, 2);
        ASSERT_EQ(s.precursors.size(), 1u);
        EXPECT_EQ(s.precursors[0].selectedIonMz, b.mz);
        EXPECT_EQ(s.precursors[0].chargeState, b.charge);
        EXPECT_EQ(s.scanStartSeconds, b.retentionSeconds.value_or(-1.0));
        const ExportArrays arrays = reader.arrays(i);
        EXPECT_EQ(arrays.mz, b.peakMz);
        EXPECT_EQ(arrays.intensity, b.peakIntensity);
        std::map<std::string, std::string> values;
        for (const ExportParameter& p : reader.parameters(i)) values[p.group + "/" + p.name] = p.value;
        EXPECT_EQ(values["spectrum/spectrum title"], b.title);
        EXPECT_EQ(values["selectedIon/peak intensity"], formatText("%.0f", b.intensity));
        EXPECT_EQ(values.count("scan/last merged scan"), b.lastScan != b.firstScan ? 1u : 0u);
    }
}

void expectMzmlHoldsTheMgf(const MzmlCase& c, const std::string& folder) {
    SCOPED_TRACE(c.mzml);
    ASSERT_TRUE(fs::exists(c.mzml));
    const std::size_t spectra = readMgf(readWholeFile(c.mgf)).size();
    ASSERT_GT(spectra, 10u);
    expectValidAsOtherToolsSeeIt(c.mzml, spectra, folder);
    expectReadAsTheMgf(c, *openOwnReader(c.mzml));
    expectReadAsTheMgf(c, *openLibraryReader(c.mzml));

    const std::string text = readWholeFile(c.mzml);
    const std::optional<std::string> sha1 = sha1OfFile(c.source);
    ASSERT_TRUE(sha1);
    EXPECT_NE(text.find("<sourceFile id=\"source\" name=\"" + fs::path(c.source).filename().string() + "\" location=\"file://" +
                        fs::path(c.source).parent_path().string() + "\">"),
              std::string::npos);
    EXPECT_NE(text.find("name=\"SHA-1\" value=\"" + *sha1 + "\""), std::string::npos);
    EXPECT_NE(text.find(std::string("version=\"") + QUARROW_VERSION + "\">"), std::string::npos);
}

// A working folder whose runs name their spectrum-features log.
class Extraction : public WorkFolder {
public:
    ChildResult run(const char* program, const std::string& dataFile, const std::string& query) const {
        return extract(program, file(dataFile), "specFeaturesFilename=specFeatures.txt&" + query);
    }
};

TEST(MzmlPeakLists, FirstVendorRunsAsOtherToolsReadThem) {
    for (const bool gzip : {false, true}) {
        SCOPED_TRACE(gzip ? "gzip" : "plain");
        const Extraction run;
        run.generate("--folder --spectra 400 --seed 7 --output " + run.file("s.d") + (gzip ? " --gzip" : ""));
        const ChildResult result = run.run(YEPHARVEST_PATH, "s.d/Analysis.yep",
                                               "chargeFromSurveyIsotopes=1&peakListFormat=mgf,mzml");
        ASSERT_EQ(result.exitStatus, 0) << result.output;
        const std::string source = run.file(gzip ? "s.d/Analysis.mzML.gz" : "s.d/Analysis.mzML");
        const std::unique_ptr<ExportReader> exported = openOwnReader(source);
        const MzmlCase c{run.file("peaklists/s.mzML"), run.file("peaklists/s.mgf"), source,
                         [&](const MgfBlock& b) { return exported->spectrum(static_cast<std::size_t>(b.firstScan - 1)).id; }};
        // Established charges and merged groups are among the spectra.
        const std::vector<MgfBlock> blocks = readMgf(readWholeFile(c.mgf));
        EXPECT_TRUE(std::any_of(blocks.begin(), blocks.end(), [](const MgfBlock& b) { return b.charge.has_value(); }));
        EXPECT_TRUE(std::any_of(blocks.begin(), blocks.end(), [](const MgfBlock& b) { return b.lastScan != b.firstScan; }));
        expectMzmlHoldsTheMgf(c, run.file(""));
    }
}

TEST(MzmlPeakLists, EverySampleOfAWiffFileAsOtherToolsReadIt) {
    const Extraction run;
    run.generate("--sciex qstar --samples 2 --profile --spectra 300 --seed 7 --output " + run.file("w.wiff"));
    const ChildResult result = run.run(WIFFHARVEST_PATH, "w.wiff", "peakListFormat=mzml,mgf");
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    for (const auto& [stem, sample] : std::vector<std::pair<std::string, std::string>>{{"w", "1"}, {"w_2", "2"}}) {
        const std::string source = run.file("w-Sample" + sample + ".mzML");
        const std::unique_ptr<ExportReader> exported = openOwnReader(source);
        // The export's spectrum behind a block: its native id names the
        // sample, and it was taken when the block says.
        std::map<std::string, double> times;
        for (std::size_t i = 0; i < exported->spectrumCount(); ++i) {
            const ExportSpectrum s = exported->spectrum(i);
            times[s.id] = s.scanStartSeconds;
        }
        const MzmlCase c{run.file("peaklists/" + stem + ".mzML"), run.file("peaklists/" + stem + ".mgf"), source,
                         [&](const MgfBlock& b) {
                             for (const auto& [exportId, seconds] : times) {
                                 if (exportId.starts_with("sample=" + sample + " ") && b.retentionSeconds &&
                                     std::fabs(seconds - *b.retentionSeconds) < 0.0006) {
                                     return exportId;
                                 }
                             }
                             return std::string("none taken then");
                         }};
        expectMzmlHoldsTheMgf(c, run.file(""));
        EXPECT_NE(readWholeFile(c.mzml).find("name=\"WIFF nativeID format\""), std::string::npos);
        EXPECT_NE(readWholeFile(c.mzml).find("name=\"QSTAR Elite\""), std::string::npos);
    }
}

// Asking for an mzML file as well changes no byte of any other file.
TEST(MzmlPeakLists, OtherFilesStayByteForByte) {
    struct Case {
        const char* program;
        std::string generate;
        std::string dataFile;
        std::vector<std::string> mzml;
    };
    const std::vector<Case> cases = {
        {YEPHARVEST_PATH, "--folder --spectra 300 --seed 12 --output s.d", "s.d/Analysis.yep", {"s.mzML"}},
        {WIFFHARVEST_PATH, "--sciex qtrap --samples 2 --spectra 300 --seed 12 --output w.wiff", "w.wiff",
         {"w.mzML", "w_2.mzML"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const Extraction run;
        std::string options;
        for (const std::string& word : splitText(c.generate, ' ')) {
            options += (options.empty() ? "" : " ") + (word.find('.') != std::string::npos ? run.file(word) : word);
        }
        run.generate(options);
        std::map<std::string, std::map<std::string, std::string>> outputs;
        for (const std::string format : {"both", "both,mzml"}) {
            const ChildResult result = run.run(c.program, c.dataFile, "peakListFormat=" + format);
            ASSERT_EQ(result.exitStatus, 0) << result.output;
            outputs[format] = run.peakLists();
            for (const auto& [name, bytes] : folderContents(run.file("logs"))) outputs[format]["logs/" + name] = bytes;
            fs::remove_all(run.file("peaklists"));
            fs::remove_all(run.file("logs"));
            fs::create_directory(run.file("peaklists"));
            fs::create_directory(run.file("logs"));
        }
        for (const std::string& name : c.mzml) {
            EXPECT_EQ(outputs["both,mzml"].erase(name), 1u) << name;
        }
        EXPECT_GT(outputs["both"].size(), 6u);
        EXPECT_EQ(outputs["both,mzml"], outputs["both"]);
    }
}

}  // namespace
