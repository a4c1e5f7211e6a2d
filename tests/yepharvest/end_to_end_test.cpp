// yepharvest as a web server runs it, on generated runs whose truth is
// known: every output file is read back and checked against the run, the
// truth table and each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "core/util/format_text.h"
#include "platform/msanalysis/ms_analysis.h"
#include "pwiz/data/msdata/MSDataFile.hpp"
#include "tests/support/child_process.h"
#include "tests/support/mgf_check.h"
#include "tests/support/temp_dir.h"
#include "tests/support/work_folder.h"

namespace {

struct TruthRow {
    int scan = 0;
    int msLevel = 0;
    int charge = 0;
    double mz = 0.0;
};

// A generated run folder name.d in a working folder, and its truth table.
class Extraction : public WorkFolder {
public:
    Extraction(const std::string& generatorOptions, const std::string& name = "run") : name_(name) {
        generate("--folder --output " + file(name + ".d") + " --truth " + file("truth.tsv") + " " + generatorOptions);
        for (const std::string& line : splitText(readWholeFile(file("truth.tsv")))) {
            const std::vector<std::string> f = splitText(line, '\t');
            if (f.size() < 7 || f[0] == "index") continue;
            truth_[std::stoi(f[1])] = {std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[5]), std::stod(f[6])};
        }
    }

    ChildResult run(const std::string& query, const std::string& dataFile = "") {
        return extract(YEPHARVEST_PATH, dataFile.empty() ? file(name_ + ".d/Analysis.yep") : dataFile,
                       "specFeaturesFilename=specFeatures.txt&" + query);
    }

    std::vector<std::string> peakListNames() const {
        std::vector<std::string> names;
        for (const auto& [name, text] : peakLists()) names.push_back(name);
        return names;
    }
    std::string peakList(const std::string& name) const { return readWholeFile(file("peaklists/" + name)); }
    std::map<std::string, int> runStats() const { return counters(log("runStats.txt")); }
    const std::map<int, TruthRow>& truth() const { return truth_; }
    std::string dataFolder() const { return file(name_ + ".d"); }

private:
    std::string name_;
    std::map<int, TruthRow> truth_;
};

// "<run>.<first>.<last>.<charge>.pkl"
struct PklName {
    int first = 0;
    int last = 0;
    int charge = 0;
};
PklName parsePklName(const std::string& name) {
    const std::vector<std::string> p = splitText(name, '.');
    return {std::stoi(p.at(1)), std::stoi(p.at(2)), std::stoi(p.at(3))};
}

const std::vector<std::string> progressLines = {
    "<BR>Initialize extractor complete! \n",
    "<BR>Data read into memory. \n",
    "<BR>MS scans pre-processed. \n",
    "<BR>Nearby MS/MS spectra with same precursor merged. \n",
    "<BR>Precursor charges determined. \n",
    "<BR>Spectra filtered. \n",
    "<BR>Calculated precursor TICs in intervening MS scans.\n",
    "<BR>Created spectral files.\n",
    "<BR>Run statistics calculated and output. \n",
};

void expectProgressInOrder(const std::string& output, bool withSurveyStages) {
    std::size_t at = 0;
    for (const std::string& line : progressLines) {
        const bool surveyStage = line.find("MS scans pre-processed") != std::string::npos ||
                                 line.find("precursor TICs") != std::string::npos;
        const std::size_t found = output.find(line, at);
        if (surveyStage && !withSurveyStages) {
            EXPECT_EQ(output.find(line), std::string::npos) << line;
            continue;
        }
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\nin:\n" << output;
        at = found + line.size();
    }
    EXPECT_EQ(at, output.size()) << "text after the last progress line";
}

TEST(YepharvestEndToEnd, OutputFilesAgreeWithEachOtherAndTheRun) {
    Extraction run("--spectra 160 --top 4 --seed 11");
    const ChildResult r = run.run("autoCharge=Find");
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    expectProgressInOrder(r.output, true);
    EXPECT_NE(r.output.find("<BR>Number of spectra:160\n"), std::string::npos);

    const std::map<std::string, int> stats = run.runStats();
    const std::vector<std::string> names = run.peakListNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(stats.at("numOutputFiles"), static_cast<int>(names.size()));
    int fragmentSpectra = 0;
    for (const auto& [scan, row] : run.truth()) fragmentSpectra += row.msLevel == 2 ? 1 : 0;
    EXPECT_EQ(stats.at("numMSMSscansCollected"), fragmentSpectra);

    // One features row per file, each with every header column but the last.
    const std::vector<std::string> features = splitText(run.log("specFeatures.txt"), '\n');
    ASSERT_EQ(features.size(), names.size() + 1);
    const std::size_t columns = splitText(features[0], '\t').size();
    EXPECT_EQ(columns, 22u);
    std::vector<std::string> rowNames;
    for (std::size_t i = 1; i < features.size(); ++i) {
        const std::vector<std::string> fields = splitText(features[i], '\t');
        EXPECT_EQ(fields.size(), columns - 1) << features[i];
        rowNames.push_back(fields[0]);
        const PklName name = parsePklName(fields[0]);
        EXPECT_EQ(std::stoi(fields[1]), name.first);
        EXPECT_EQ(std::stoi(fields[8]), name.charge);
        EXPECT_EQ(fields[7], "0");
        EXPECT_EQ(fields[20], "pyridylethylation");
    }
    std::sort(rowNames.begin(), rowNames.end());
    EXPECT_EQ(rowNames, names);

    // Each merged-away spectrum has one reject row naming the group it joined,
    // and the group's file is named from its first to its last scan.
    const std::string rejects = run.log("xtractorRejectReasons.txt");
    int merged = 0;
    for (const std::string& name : names) {
        const PklName pkl = parsePklName(name);
        EXPECT_LE(pkl.first, pkl.last);
        EXPECT_EQ(run.truth().at(pkl.first).msLevel, 2);
        if (pkl.last != pkl.first) {
            ++merged;
            EXPECT_NE(rejects.find(formatText("\nrun.%04d\t", pkl.last)), std::string::npos) << name;
            EXPECT_NE(rejects.find(formatText("merged with scan %04d parent:", pkl.first)), std::string::npos) << name;
            EXPECT_LT(std::fabs(run.truth().at(pkl.first).mz - run.truth().at(pkl.last).mz), 0.5);
        }
    }
    EXPECT_GT(merged, 0);
    EXPECT_EQ(stats.at("numMergedParentOutputSpectra"), merged);

}

TEST(YepharvestEndToEnd, LoneSpectrumFileHoldsTheExportsPeaksAndTheSurveyIntensity) {
    Extraction run("--spectra 120 --top 3 --seed 5");
    ASSERT_EQ(run.run("autoCharge=Find").exitStatus, 0);
    std::string lone;
    for (const std::string& name : run.peakListNames()) {
        if (parsePklName(name).first == parsePklName(name).last) lone = name;
    }
    ASSERT_FALSE(lone.empty());
    const int scan = parsePklName(lone).first;

    // The expected bytes, computed from the export directly.
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(run.dataFolder()), 0);
    const MSSpectrumCollection spectra = analysis.getSpectra();
    std::vector<double> precursor;
    std::int32_t count = 0;
    spectra.getItem(scan).getPrecursor(precursor, count);
    ASSERT_GE(count, 1);
    const double parentMz = precursor[0];
    // Intensity within 0.5 of the precursor over the survey scans at most 15
    // scans away (the default window and tolerance).
    double surveyIntensity = 0.0;
    for (int s = std::max(1, scan - 15); s <= std::min(spectra.getCount(), scan + 15); ++s) {
        const MSSpectrum spectrum = spectra.getItem(s);
        if (spectrum.getMSOrder() != 0) continue;
        std::vector<double> mz;
        std::vector<double> intensity;
        spectrum.getData(0, mz, intensity, count);
        for (std::size_t k = 0; k < mz.size(); ++k) {
            if (mz[k] >= parentMz - 0.5 && mz[k] <= parentMz + 0.5) surveyIntensity += intensity[k];
        }
    }
    std::vector<double> mz;
    std::vector<double> intensity;
    spectra.getItem(scan).getData(0, mz, intensity, count);
    std::string expected = formatText("%0.2f\t%.0f\t%d", parentMz, surveyIntensity, parsePklName(lone).charge);
    for (std::size_t k = 0; k < mz.size(); ++k) expected += formatText("\n%.2f\t%.0f", mz[k], intensity[k]);
    EXPECT_GT(surveyIntensity, 0.0);
    EXPECT_EQ(run.peakList(lone), expected);
}

// Fixed and Default modes are decided in process (stages tests); here the
// Find mode against the generator's charges.
TEST(YepharvestEndToEnd, FoundChargesAgreeWithTheRun) {
    Extraction find("--spectra 200 --top 4 --seed 21");
    ASSERT_EQ(find.run("autoCharge=Find").exitStatus, 0);
    int twos = 0;
    for (const std::string& name : find.peakListNames()) {
        const PklName pkl = parsePklName(name);
        const int simulated = find.truth().at(pkl.first).charge;
        if (simulated == 1) {
            EXPECT_EQ(pkl.charge, 1) << name;
        }
        if (simulated >= 2) {
            EXPECT_NE(pkl.charge, 1) << name;
        }
        if (pkl.charge == 2) {
            EXPECT_EQ(simulated, 2) << name;
            ++twos;
        }
    }
    EXPECT_GT(twos, 0);
    const std::string checks = find.log("parentChargeCheck.txt");
    EXPECT_NE(checks.find("b/y pairs found"), std::string::npos);
    for (const std::string& line : splitText(checks, '\n')) {
        if (line == "scanNumber\tChargeAssignment") continue;
        EXPECT_EQ(line.rfind("run.", 0), 0u) << line;
    }
}

TEST(YepharvestEndToEnd, SurveyIsotopeChargesOnlyWhenAskedAndOnlyWhereTheStandardRuleLeftThemOpen) {
    const std::string generator = "--spectra 300 --top 4 --seed 5 --survey-ppm 3";
    Extraction absent(generator), off(generator), on(generator), fixed(generator);
    ASSERT_EQ(absent.run("autoCharge=Find").exitStatus, 0);
    ASSERT_EQ(off.run("autoCharge=Find&chargeFromSurveyIsotopes=0").exitStatus, 0);
    for (const char* file : {"parentChargeCheck.txt", "specFeatures.txt", "xtractorRejectReasons.txt", "runStats.txt"}) {
        EXPECT_EQ(off.log(file), absent.log(file)) << file;
    }
    ASSERT_EQ(off.peakListNames(), absent.peakListNames());

    ASSERT_EQ(on.run("autoCharge=Find&chargeFromSurveyIsotopes=1").exitStatus, 0);
    std::map<int, int> before;
    for (const std::string& name : off.peakListNames()) before[parsePklName(name).first] = parsePklName(name).charge;
    int gained = 0;
    for (const std::string& name : on.peakListNames()) {
        const PklName pkl = parsePklName(name);
        const int simulated = on.truth().at(pkl.first).charge;
        if (simulated == 1) {
            EXPECT_EQ(pkl.charge, 1) << name;
        }
        const auto old = before.find(pkl.first);
        if (old == before.end() || old->second == pkl.charge) continue;
        // Only an open or singly charged decision may change, and only to the truth.
        EXPECT_TRUE(old->second == 0 || old->second == 1) << name;
        EXPECT_EQ(pkl.charge, simulated) << name;
        ++gained;
    }
    EXPECT_GT(gained, 0);
    const std::string checks = on.log("parentChargeCheck.txt");
    EXPECT_EQ(checks.rfind(off.log("parentChargeCheck.txt"), 0), 0u) << "the standard rule's rows come first";
    EXPECT_NE(checks.find(") from survey isotopes: "), std::string::npos);

    ASSERT_EQ(fixed.run("lowCharge=3&highCharge=3&chargeFromSurveyIsotopes=1").exitStatus, 0);
    for (const std::string& name : fixed.peakListNames()) EXPECT_EQ(parsePklName(name).charge, 3) << name;
}

TEST(YepharvestEndToEnd, ScanAndParentRangesRejectWhereTheRunSaysSo) {
    Extraction run("--spectra 60 --top 4 --seed 8");
    ASSERT_EQ(run.run("firstScan=10&lastScan=40&lowParent=1200&lowCharge=2&highCharge=2").exitStatus, 0);
    const std::string rejects = run.log("xtractorRejectReasons.txt");
    for (int scan = 1; scan <= 60; ++scan) {
        const bool outside = scan < 10 || scan > 40;
        EXPECT_EQ(rejects.find(formatText("\nrun.%d\t0\tscan #: %d outside range 10 - 40", scan, scan)) !=
                      std::string::npos,
                  outside)
            << scan;
    }
    for (const std::string& name : run.peakListNames()) {
        const PklName pkl = parsePklName(name);
        EXPECT_GE(pkl.first, 10);
        EXPECT_LE(pkl.last, 40);
    }
    // Every in-range fragment group whose M+H at charge 2 lies below 1200 is refused.
    int refused = 0;
    for (const auto& [scan, row] : run.truth()) {
        if (row.msLevel != 2 || scan < 10 || scan > 40) continue;
        const double mPlusH = 2 * row.mz - 1;
        const std::string prefix = formatText("\nrun.%04d.", scan);
        if (mPlusH < 1199.0 && rejects.find(prefix) != std::string::npos &&
            rejects.find(" outside range 1200.0 - 5000.0", rejects.find(prefix)) != std::string::npos) {
            ++refused;
        }
        if (mPlusH < 1199.0) {
            for (const std::string& name : run.peakListNames()) EXPECT_NE(parsePklName(name).first, scan) << name;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(YepharvestEndToEnd, FragmentOnlyRunSkipsTheSurveyStages) {
    Extraction run("--spectra 40 --fragment-only --seed 4");
    const ChildResult r = run.run("autoCharge=Find");
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    expectProgressInOrder(r.output, false);
    ASSERT_FALSE(run.peakListNames().empty());
    for (const std::string& name : run.peakListNames()) {
        const std::string header = splitText(run.peakList(name), '\n')[0];
        EXPECT_EQ(splitText(header, '\t')[1], "0") << name;
    }
}

TEST(YepharvestEndToEnd, ExportNamedDirectlyGivesItsOwnRunName) {
    Extraction run("--spectra 40 --seed 2", "lysate");
    const std::string exportFile = run.file("lysate-b.mzML");
    std::filesystem::rename(run.dataFolder() + "/Analysis.mzML", exportFile);
    const ChildResult r = run.run("", exportFile);
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    ASSERT_FALSE(run.peakListNames().empty());
    for (const std::string& name : run.peakListNames()) EXPECT_EQ(name.rfind("lysate-b.", 0), 0u) << name;
}

TEST(YepharvestEndToEnd, MissingRunFailsAfterEveryStage) {
    Extraction run("--spectra 10 --seed 1");
    const ChildResult r = run.run("", run.file("absent.d/Analysis.yep"));
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.output.find("<BR>Error opening analysis file.\n<BR>MSAnalysis.Open() returned following HRESULT:<BR>"
                            "-2147024894\n"),
              std::string::npos)
        << r.output;
    EXPECT_TRUE(run.peakListNames().empty());
    EXPECT_EQ(run.runStats().at("numMSMSscansCollected"), 0);
    EXPECT_NE(r.output.find("<BR>Run statistics calculated and output. \n"), std::string::npos);
}

TEST(YepharvestEndToEnd, MgfHoldsThePeakListsAndReadsBack) {
    Extraction run("--spectra 120 --top 4 --seed 5");
    const ChildResult r = run.run("autoCharge=Find&peakListFormat=both");
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    std::map<std::string, std::string> peakLists;
    for (const std::string& name : run.peakListNames()) {
        if (name.ends_with(".pkl")) peakLists[name] = run.peakList(name);
    }
    ASSERT_FALSE(peakLists.empty());
    const std::string mgfPath = run.file("peaklists/run.mgf");
    expectMgfMatchesPeakLists(readWholeFile(mgfPath), peakLists);

    // ProteoWizard reads every spectrum back with its charge and peaks.
    pwiz::msdata::MSDataFile data(mgfPath);
    const pwiz::msdata::SpectrumList& spectra = *data.run.spectrumListPtr;
    ASSERT_EQ(spectra.size(), peakLists.size());
    std::size_t points = 0;
    for (std::size_t i = 0; i < spectra.size(); ++i) points += spectra.spectrum(i, true)->getMZArray()->data.size();
    std::size_t lines = 0;
    for (const auto& [name, text] : peakLists) lines += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(points, lines);

    // "mgf" alone writes no .pkl file; an unknown format is refused.
    Extraction only("--spectra 60 --seed 6");
    ASSERT_EQ(only.run("peakListFormat=MGF").exitStatus, 0);
    EXPECT_EQ(only.peakListNames(), std::vector<std::string>{"run.mgf"});
    const ChildResult refused = only.run("peakListFormat=xml");
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.output.find("The value xml of the query key peakListFormat is not one of pkl, mgf and both."),
              std::string::npos);
}

}  // namespace
