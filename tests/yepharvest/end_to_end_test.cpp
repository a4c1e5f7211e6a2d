// yepharvest as a web server runs it, on generated runs whose truth is
// known: every output file is read back and checked against the run, the
// truth table and each other; and the program's error page and exit status
// on queries it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "core/util/format_text.h"
#include "platform/msanalysis/ms_analysis.h"
#include "pwiz/data/msdata/MSDataFile.hpp"
#include "tests/support/mgf_check.h"
#include "tests/support/run_truth.h"
#include "tests/support/work_folder.h"

namespace {

// A generated run folder name.d in a working folder, and its truth table.
class Extraction : public WorkFolder {
public:
    Extraction(const std::string& generatorOptions, const std::string& name = "run") : name_(name) {
        generate("--folder --output " + file(name + ".d") + " --truth " + file("truth.tsv") + " " + generatorOptions);
        truth = readRunTruth(file("truth.tsv"));
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
    std::string dataFolder() const { return file(name_ + ".d"); }

    std::map<int, TruthRow> truth;

private:
    std::string name_;
};

// "<run>.<first>.<last>.<charge>.pkl"
struct PklName {
    int first = 0, last = 0, charge = 0;
};
PklName parsePklName(const std::string& name) {
    const std::vector<std::string> p = splitText(name, '.');
    return {std::stoi(p.at(1)), std::stoi(p.at(2)), std::stoi(p.at(3))};
}

// A charge the program decided never contradicts the generator: a singly
// charged precursor stays 1, a multiply charged one never becomes 1, and a
// charge of 2 is the true one. Returns how many files got charge 2.
int expectChargesAgreeWithTheRun(const Extraction& run) {
    int twos = 0;
    for (const std::string& name : run.peakListNames()) {
        const PklName pkl = parsePklName(name);
        const int simulated = run.truth.at(pkl.first).charge;
        EXPECT_EQ(simulated == 1, pkl.charge == 1) << name;
        if (pkl.charge == 2) {
            EXPECT_EQ(simulated, 2) << name;
            ++twos;
        }
    }
    return twos;
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

// The progress lines in order, the survey stages only for a run with survey
// scans, and nothing after the last.
void expectProgressInOrder(const std::string& output, bool withSurveyStages) {
    std::size_t at = 0;
    for (const std::string& line : progressLines) {
        if (!withSurveyStages && (line == progressLines[2] || line == progressLines[6])) {
            EXPECT_EQ(output.find(line), std::string::npos) << line;
            continue;
        }
        at = output.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\nin:\n" << output;
        at += line.size();
    }
    EXPECT_EQ(at, output.size()) << "text after the last progress line";
}

TEST(YepharvestEndToEnd, OutputFilesAgreeWithEachOtherAndTheRun) {
    Extraction run("--spectra 160 --top 4 --seed 11");
    const ChildResult r = run.run("autoCharge=Find");
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    expectProgressInOrder(r.output, true);
    EXPECT_NE(r.output.find("<BR>Number of spectra:160\n"), std::string::npos);
    EXPECT_EQ(run.log("runStats.txt").rfind("FileName\trun\nSampleName\tsynthetic digest\nAnalysisDateTime\t03/05/2024 09:41\n"
                                           "numMSMSscansCollected\t", 0), 0u);

    const std::map<std::string, int> stats = counters(run.log("runStats.txt"));
    const std::vector<std::string> names = run.peakListNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(stats.at("numOutputFiles"), static_cast<int>(names.size()));
    int fragmentSpectra = 0;
    for (const auto& [scan, row] : run.truth) fragmentSpectra += row.msLevel == 2 ? 1 : 0;
    EXPECT_EQ(stats.at("numMSMSscansCollected"), fragmentSpectra);
    EXPECT_GT(expectChargesAgreeWithTheRun(run), 0);

    // One features row per file, each with every header column but the last.
    const std::vector<std::string> features = splitText(run.log("specFeatures.txt"), '\n');
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
        EXPECT_EQ(run.truth.at(pkl.first).msLevel, 2);
        if (pkl.last != pkl.first) {
            ++merged;
            EXPECT_NE(rejects.find(formatText("\nrun.%04d\t", pkl.last)), std::string::npos) << name;
            EXPECT_NE(rejects.find(formatText("merged with scan %04d parent:", pkl.first)), std::string::npos) << name;
            EXPECT_LT(std::fabs(run.truth.at(pkl.first).mz - run.truth.at(pkl.last).mz), 0.5);
        }
    }
    EXPECT_GT(merged, 0);
    EXPECT_EQ(stats.at("numMergedParentOutputSpectra"), merged);
}

// A lone spectrum's file byte for byte against the export, and the MGF file
// written beside the .pkl files read back by hand and by ProteoWizard.
TEST(YepharvestEndToEnd, PeakListBytesComeFromTheExportAndTheMgfHoldsThem) {
    Extraction run("--spectra 120 --top 3 --seed 5");
    ASSERT_EQ(run.run("autoCharge=Find&peakListFormat=both").exitStatus, 0);
    std::map<std::string, std::string> peakLists = run.peakLists();
    const std::string mgfPath = run.file("peaklists/run.mgf");
    ASSERT_EQ(peakLists.erase("run.mgf"), 1u);
    std::string lone;
    for (const auto& [name, text] : peakLists) {
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
    EXPECT_EQ(peakLists.at(lone), expected);
    // The MGF block carries the export's m/z, not the .pkl's rounding.
    const std::string mgfText = readWholeFile(mgfPath);
    const std::size_t block = mgfText.find("TITLE=" + lone.substr(0, lone.size() - 4) + "\n");
    ASSERT_NE(block, std::string::npos);
    std::vector<std::string> blockLines =
        splitText(mgfText.substr(block, mgfText.find("\nEND IONS", block) - block));
    blockLines.erase(blockLines.begin(), blockLines.end() - static_cast<std::ptrdiff_t>(std::min(mz.size(), blockLines.size())));
    ASSERT_EQ(blockLines.size(), mz.size());
    for (std::size_t k = 0; k < mz.size(); ++k) {
        const std::vector<std::string> values = splitText(blockLines[k], '\t');
        ASSERT_EQ(values.size(), 2u) << blockLines[k];
        EXPECT_LE(std::fabs(std::atof(values[0].c_str()) - mz[k]), 0.6e-5) << blockLines[k];
        EXPECT_EQ(values[1], formatText("%.0f", intensity[k])) << blockLines[k];
    }

    // The precursor and its time as the library reads them from the export.
    pwiz::msdata::MSDataFile exported(run.dataFolder() + "/Analysis.mzML");
    expectMgfMatchesPeakLists(readWholeFile(mgfPath), peakLists, [&](const std::string& title) {
        const int first = parsePklName(title + ".pkl").first;
        const pwiz::msdata::SpectrumPtr spectrum =
            exported.run.spectrumListPtr->spectrum(static_cast<std::size_t>(first - 1), false);
        const double precursorMz =
            spectrum->precursors.at(0).selectedIons.at(0).cvParam(pwiz::cv::MS_selected_ion_m_z).valueAs<double>();
        const double seconds = spectrum->scanList.scans.at(0).cvParam(pwiz::cv::MS_scan_start_time).timeInSeconds();
        return std::optional<MgfExpectation>(MgfExpectation{precursorMz, first, seconds, std::nullopt});
    });
    pwiz::msdata::MSDataFile data(mgfPath);
    const pwiz::msdata::SpectrumList& mgfSpectra = *data.run.spectrumListPtr;
    ASSERT_EQ(mgfSpectra.size(), peakLists.size());
    std::size_t points = 0;
    for (std::size_t i = 0; i < mgfSpectra.size(); ++i) points += mgfSpectra.spectrum(i, true)->getMZArray()->data.size();
    std::size_t lines = 0;
    for (const auto& [name, text] : peakLists) lines += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(points, lines);
}

TEST(YepharvestEndToEnd, SurveyIsotopeChargesOnlyWhenAskedAndOnlyWhereTheStandardRuleLeftThemOpen) {
    const std::string generator = "--spectra 300 --top 4 --seed 5 --survey-ppm 3";
    Extraction absent(generator), off(generator), on(generator), fixed(generator);
    ASSERT_EQ(absent.run("autoCharge=Find").exitStatus, 0);
    ASSERT_EQ(off.run("autoCharge=Find&chargeFromSurveyIsotopes=0").exitStatus, 0);
    EXPECT_EQ(folderContents(off.file("logs")), folderContents(absent.file("logs")));
    ASSERT_EQ(off.peakLists(), absent.peakLists());

    ASSERT_EQ(on.run("autoCharge=Find&chargeFromSurveyIsotopes=1").exitStatus, 0);
    expectChargesAgreeWithTheRun(on);
    std::map<int, int> before;
    for (const std::string& name : off.peakListNames()) before[parsePklName(name).first] = parsePklName(name).charge;
    int gained = 0;
    for (const std::string& name : on.peakListNames()) {
        const PklName pkl = parsePklName(name);
        const auto old = before.find(pkl.first);
        if (old == before.end() || old->second == pkl.charge) continue;
        // Only an open or singly charged decision may change, and only to the truth.
        EXPECT_TRUE(old->second == 0 || old->second == 1) << name;
        EXPECT_EQ(pkl.charge, on.truth.at(pkl.first).charge) << name;
        ++gained;
    }
    EXPECT_GT(gained, 0);
    const std::string checks = on.log("parentChargeCheck.txt");
    EXPECT_EQ(checks.rfind(off.log("parentChargeCheck.txt"), 0), 0u) << "the standard rule's rows come first";
    EXPECT_NE(checks.find(") from survey isotopes: "), std::string::npos);

    ASSERT_EQ(fixed.run("lowCharge=3&highCharge=3&chargeFromSurveyIsotopes=1").exitStatus, 0);
    for (const std::string& name : fixed.peakListNames()) EXPECT_EQ(parsePklName(name).charge, 3) << name;
}

// Every scan outside 10..40 has its reject row and no file; no fragment
// group whose M+H at charge 2 lies below 1200 has a file, and the groups
// such scans open say why.
TEST(YepharvestEndToEnd, ScanAndParentRangesRejectWhereTheRunSaysSo) {
    Extraction run("--spectra 60 --top 4 --seed 8");
    ASSERT_EQ(run.run("firstScan=10&lastScan=40&lowParent=1200&lowCharge=2&highCharge=2").exitStatus, 0);
    const std::string rejects = run.log("xtractorRejectReasons.txt");
    std::set<int> written;
    for (const std::string& name : run.peakListNames()) {
        written.insert(parsePklName(name).first);
        EXPECT_LE(parsePklName(name).last, 40) << name;
    }
    int refused = 0;
    for (const auto& [scan, row] : run.truth) {
        const bool outside = scan < 10 || scan > 40;
        const bool light = row.msLevel == 2 && 2 * row.mz - 1 < 1199.0;
        const bool rangeRow = rejects.find(formatText("\nrun.%d\t0\tscan #: %d outside range 10 - 40", scan, scan)) != std::string::npos;
        EXPECT_EQ(rangeRow, outside) << scan;
        if (outside || light) {
            EXPECT_EQ(written.count(scan), 0u) << scan;
        }
        const std::size_t group = rejects.find(formatText("\nrun.%04d.", scan));
        if (!outside && light && group != std::string::npos &&
            rejects.find(" outside range 1200.0 - 5000.0", group) != std::string::npos) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

// filterOpenCharges: absent or 0 leaves every output as it was; at 1 every
// .pkl file of the designed run stays byte for byte, and the spectra it adds
// are those whose MGF block states no charge, whose decided charge the
// range refused (lowParent 1200 refuses the precursors called 1+). Each
// open spectrum it still refuses has one row naming the charges tried.
TEST(YepharvestEndToEnd, OpenChargesPassTheFiltersOnlyWhenAsked) {
    const std::string generator = "--spectra 300 --top 4 --seed 8";
    const std::string query = "autoCharge=Find&lowParent=1200&peakListFormat=both";
    Extraction absent(generator), off(generator), on(generator);
    ASSERT_EQ(absent.run(query).exitStatus, 0);
    ASSERT_EQ(off.run(query + "&filterOpenCharges=0").exitStatus, 0);
    EXPECT_EQ(folderContents(off.file("logs")), folderContents(absent.file("logs")));
    ASSERT_EQ(off.peakLists(), absent.peakLists());

    ASSERT_EQ(on.run(query + "&filterOpenCharges=1").exitStatus, 0);
    const std::map<std::string, std::string> before = off.peakLists();
    std::map<std::string, std::string> after = on.peakLists();
    const std::string mgf = after.at("run.mgf");
    after.erase("run.mgf");
    int added = 0;
    for (const auto& [name, text] : after) {
        const auto old = before.find(name);
        if (old != before.end()) {
            EXPECT_EQ(text, old->second) << name;
            continue;
        }
        ++added;
        const std::string title = "TITLE=" + name.substr(0, name.size() - 4) + "\n";
        const std::size_t block = mgf.find(title);
        ASSERT_NE(block, std::string::npos) << name;
        EXPECT_EQ(mgf.substr(block + title.size(), mgf.find("END IONS", block) - block - title.size()).find("CHARGE="),
                  std::string::npos)
            << name << ": an added spectrum has no stated charge";
        const std::string designed = off.log("xtractorRejectReasons.txt");
        const std::size_t refused = designed.find("\n" + name + "\t0\t");
        ASSERT_NE(refused, std::string::npos) << name;
        const std::string row = designed.substr(refused + 1, designed.find('\n', refused + 1) - refused - 1);
        EXPECT_TRUE(row.ends_with(" outside range 1200.0 - 5000.0")) << row << ": refused by the range as decided";
    }
    EXPECT_GT(added, 0);
    for (const auto& [name, text] : before) EXPECT_TRUE(name == "run.mgf" || after.contains(name)) << name;
    // Every other row is the designed run's, or names the charges tried.
    const std::regex tried(R"(^[^\t]+\t0\t[1-3]\+: .*)");
    for (const std::string& row : splitText(on.log("xtractorRejectReasons.txt"))) {
        if (off.log("xtractorRejectReasons.txt").find(row) != std::string::npos) continue;
        EXPECT_TRUE(std::regex_match(row, tried)) << row;
    }
    expectMgfMatchesPeakLists(mgf, after);
}

// Without survey scans the survey stages are skipped and every precursor
// intensity is 0. The export named directly names the run itself; "mgf"
// alone then writes no .pkl file.
TEST(YepharvestEndToEnd, FragmentOnlyRunAndAnExportNamedDirectly) {
    Extraction run("--spectra 40 --fragment-only --seed 4", "lysate");
    const ChildResult r = run.run("autoCharge=Find");
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    expectProgressInOrder(r.output, false);
    ASSERT_FALSE(run.peakListNames().empty());
    for (const auto& [name, text] : run.peakLists()) {
        EXPECT_EQ(splitText(splitText(text)[0], '\t')[1], "0") << name;
    }

    const std::string exportFile = run.file("lysate-b.mzML");
    std::filesystem::rename(run.dataFolder() + "/Analysis.mzML", exportFile);
    const std::size_t before = run.peakLists().size();
    ASSERT_EQ(run.run("peakListFormat=MGF", exportFile).exitStatus, 0);
    EXPECT_EQ(run.peakLists().size(), before + 1);
    EXPECT_EQ(run.peakLists().count("lysate-b.mgf"), 1u);
}

// peakListFormat as a comma list of names, in any order and letters, writes
// byte for byte what the old name for the same formats writes.
TEST(YepharvestEndToEnd, AFormatListWritesWhatBothWrites) {
    Extraction run("--spectra 60 --seed 11");
    ASSERT_EQ(run.run("autoCharge=Find&peakListFormat=both").exitStatus, 0);
    const std::map<std::string, std::string> both = run.peakLists();
    ASSERT_EQ(both.count("run.mgf"), 1u);
    ASSERT_GT(both.size(), 2u);
    for (const char* list : {"mgf,PKL", "pkl,mgf,pkl"}) {
        std::filesystem::remove_all(run.file("peaklists"));
        std::filesystem::create_directory(run.file("peaklists"));
        ASSERT_EQ(run.run(std::string("autoCharge=Find&peakListFormat=") + list).exitStatus, 0) << list;
        EXPECT_EQ(run.peakLists(), both) << list;
    }
}

// A run that cannot be read (here asked for in a request body) still opens
// its logs and, in the peak-picker mode, its results page, walks every
// stage over the empty table and fails.
TEST(YepharvestEndToEnd, MissingRunFailsAfterEveryStage) {
    const WorkFolder folder;
    const std::string body = "xtractorDataFilename=" + folder.file("absent.d/Analysis.yep") +
                             "&specFeaturesFilename=f.txt&logFileDir=" + folder.file("logs/") + "&resultsXtractorDir=" +
                             folder.file("peaklists/") + "&xtractorMode=Peak-Picker&output_filename=page&peakListFormat=both,mzml";
    const ChildResult r =
        folder.start(YEPHARVEST_PATH, {{"QUERY_STRING", ""}, {"CONTENT_LENGTH", std::to_string(body.size())}}, body);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.output.find("<BR>Error opening analysis file.\n<BR>MSAnalysis.Open() returned following HRESULT:<BR>"
                            "-2147024894\n"),
              std::string::npos)
        << r.output;
    expectProgressInOrder(r.output, true);
    EXPECT_EQ(folder.peakLists(), (std::map<std::string, std::string>{{"page.htm", readWholeFile(folder.file("peaklists/page.htm"))}}));
    EXPECT_EQ(folderContents(folder.file("logs")).size(), 4u);  // the four logs
    EXPECT_EQ(counters(folder.log("runStats.txt")).at("numMSMSscansCollected"), 0);
}

TEST(YepharvestDriver, WithoutAQueryPrintsTheErrorPage) {
    const ChildResult r = WorkFolder().start(YEPHARVEST_PATH, {});
    EXPECT_EQ(r.exitStatus, 1);
    // The page layout itself is the fatal-error printer's; here that the
    // program has set it up before it reads its query.
    EXPECT_EQ(r.output.rfind("\n<html>\n<head>\n<TITLE>Velmora Quarrow - Error Message</TITLE>", 0), 0u) << r.output;
    EXPECT_TRUE(r.output.ends_with("<H2 ALIGN=center >Error Message</H2><HR />Neither of the environment variables "
                                   "QUERY_STRING or CONTENT_LENGTH has been defined.\n<BR>Function: query.\n<BR></BODY>"))
        << r.output;
}

// Values the start-up used to accept and a stage then looped, overflowed or
// wrapped on get the error page before anything is read; query text reaches
// the page through fatal messages and the reader's error lines, and never
// opens a tag there.
TEST(YepharvestDriver, RefusedQueriesGetTheErrorPageWithTheirTextEscaped) {
    const WorkFolder folder;
    struct Case {
        std::string query;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"maxCharge=2147483647&autoCharge=Find", "The value 2147483647 of the query key maxCharge is outside its range 1 - 9."},
        {"groupScans=2147483000", "The value 2147483000 of the query key groupScans is outside its range 0 - 10000."},
        {"lowCharge=-2147483648&highCharge=-2147483648",
         "The value -2147483648 of the query key lowCharge is outside its range 0 - 9."},
        {"parentTolerance=1e999", "The value 1e999 of the query key parentTolerance is outside its range above 0 up to 1000."},
        {"maxCharge=5&maxCharge=%3Cb%3E", "The value &lt;b&gt; of the query key maxCharge is outside its range 1 - 9."},
        {"peakListFormat=xml", "The value xml of the query key peakListFormat is not one of pkl, mgf, mzml and both, or a comma list of them."},
        {"logFileDir=/nowhere/%3Cscript%3E/", "/nowhere/&lt;script&gt;/"},
        {"xtractorDataFilename=/nowhere/%3Cscript%3E.d/Analysis.yep", "/nowhere/&lt;script&gt;.d/"},
        {"cys=%3Cscript%3E", "&lt;script&gt;"},
    };
    for (const Case& c : cases) {
        const ChildResult r = folder.extract(YEPHARVEST_PATH, "/nowhere/q.d/Analysis.yep", "specFeaturesFilename=f.txt&" + c.query);
        EXPECT_EQ(r.exitStatus, 1) << c.query;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.query << "\n" << r.output;
        EXPECT_EQ(r.output.find("<script>"), std::string::npos) << c.query;
        EXPECT_EQ(r.output.find("<b>"), std::string::npos) << c.query;
    }
    // The ends of the ranges and an absent key are accepted.
    const ChildResult r = folder.extract(YEPHARVEST_PATH, "/nowhere/q.d/Analysis.yep",
                                         "specFeaturesFilename=f.txt&maxCharge=9&groupScans=0&lastScan=2147483647&lowCharge=0&highCharge=9");
    EXPECT_EQ(r.output.rfind("<BR>Initialize extractor complete! \n", 0), 0u) << r.output;
}

}  // namespace
