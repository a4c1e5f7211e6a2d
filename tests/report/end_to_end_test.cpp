// The real tool on the logs of real runs: a generated yepharvest run and the
// real BSA run appended to one log folder, the one's name a prefix of the
// other's, and a two-sample wiffharvest run in a folder of its own; the
// page's counts and times checked against the logs and the exports as read
// here, independently of the tool's own parsing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <regex>
#include <tuple>

#include "core/util/format_text.h"

#include "tests/support/child_process.h"
#include "tests/support/suite_set_up.h"
#include "tests/support/temp_dir.h"
#include "tests/support/work_folder.h"

namespace {

bool startsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

// The number the page shows in the element with this id.
long shown(const std::string& page, const std::string& id) {
    const std::string marker = "id=\"" + id + "\">";
    const std::size_t at = page.find(marker);
    if (at == std::string::npos) return -1;
    return std::atol(page.c_str() + at + marker.size());
}

class ReportEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(suite_.ready(&prepare)) << "the suite's runs could not be made"; }
    static void prepare() {
        dir_ = new WorkFolder;
        dir_->generate("--folder --output " + dir_->file("BSA_min_2.d") + " --spectra 300 --seed 5 --truth " +
                       dir_->file("truth.tsv"));
        for (const std::string& data : {std::string(QUARROW_REAL_DATA_DIR) + "/BSA_min_21.mzXML&lastScan=100000",
                                        dir_->file("BSA_min_2.d/Analysis.yep") + "&firstScan=3&lastScan=280"}) {
            ASSERT_EQ(dir_->extract(YEPHARVEST_PATH, data, "autoCharge=Find&specFeaturesFilename=features.txt").exitStatus, 0)
                << data;
        }
        wiff_ = new WorkFolder;
        wiff_->generate("--sciex qstar --samples 2 --spectra 200 --chargeless 0.5 --seed 7 --output " + wiff_->file("lysate3.wiff"));
        ASSERT_EQ(wiff_->extract(WIFFHARVEST_PATH, wiff_->file("lysate3.wiff"), "specFeaturesFilename=features.txt&lastScan=100000").exitStatus, 0);
    }
    static void TearDownTestSuite() {
        delete dir_;
        delete wiff_;
    }

    static ChildResult report(const std::string& arguments) {
        return runProgram({"/bin/sh", "", {}, "", {"-c", std::string(REPORT_PATH) + " " + arguments + " 2>&1"}});
    }
    static inline SuiteSetUp suite_;
    static inline WorkFolder* dir_ = nullptr;
    static inline WorkFolder* wiff_ = nullptr;
};

// The start time of every spectrum of an export in minutes, in file order:
// mzXML's retentionTime in seconds, or mzML's scan start time.
std::vector<double> exportMinutes(const std::string& text) {
    std::vector<double> minutes;
    const std::regex time(R"re(retentionTime="PT([0-9.]+)S"|"scan start time" value="([0-9.eE+-]+)"[^>]*unitName="(minute|second)")re");
    for (std::sregex_iterator at(text.begin(), text.end(), time), end; at != end; ++at) {
        const std::smatch& m = *at;
        minutes.push_back(m[1].matched ? std::stod(m[1]) / 60 : m[3] == "minute" ? std::stod(m[2]) : std::stod(m[2]) / 60);
    }
    return minutes;
}

// The instrument's charge of every spectrum of an export, in file order; 0
// where it gives none.
std::vector<int> exportCharges(const std::string& text) {
    const std::regex opening(text.find("<mzXML") != std::string::npos ? "<scan " : "<spectrum ");
    const std::regex charge(R"re(precursorCharge="(\d+)"|"charge state" value="(\d+)")re");
    std::vector<std::size_t> starts;
    for (std::sregex_iterator at(text.begin(), text.end(), opening), end; at != end; ++at) {
        starts.push_back(static_cast<std::size_t>(at->position()));
    }
    starts.push_back(text.size());
    std::vector<int> charges;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        const std::string spectrum = text.substr(starts[k], starts[k + 1] - starts[k]);
        std::smatch m;
        charges.push_back(std::regex_search(spectrum, m, charge) ? std::stoi(m[1].matched ? m[1].str() : m[2].str()) : 0);
    }
    return charges;
}

// Every spectrum's point on the precursor chart of a part: its name and the time or scan it is drawn at.
std::map<std::string, std::string> drawnAt(const std::string& html, const std::string& ids) {
    std::map<std::string, std::string> points;
    const std::size_t from = html.find("id=\"" + ids + "precursors\"");
    const std::size_t to = html.find("</section>", from);
    const std::regex tip(R"(<title>([^:<]+): ([^,<]+), m/z)");
    for (std::sregex_iterator at(html.begin() + from, html.begin() + to, tip), end; at != end; ++at) {
        points[(*at)[1]] = (*at)[2];
    }
    return points;
}

// The page's counts of one LC run (`ids` before its element ids) or of a
// whole .wiff file, against its rows: `names` start its peak lists, `charges`
// are its charge-check rows and `statistics` its counters.
void expectCounts(const std::string& html, const std::string& ids, const std::vector<std::string>& names,
                  const std::string& run, const std::string& features, const std::string& rejects,
                  const std::vector<std::string>& charges, std::map<std::string, long> statistics, bool wiff) {
    long written = 0;
    for (const std::string& line : splitText(features)) {
        for (const std::string& name : names) written += startsWith(line, name + ".") ? 1 : 0;
    }
    std::map<std::string, long> rejected;
    for (const std::string& line : splitText(rejects)) {
        if (!startsWith(line, run + ".")) continue;
        const std::string reason = line.substr(line.rfind('\t') + 1);
        ++rejected[startsWith(reason, "scan #") ? "scan-range"
                   : reason.find("merged with scan") != std::string::npos ? "merged"
                   : startsWith(reason, "maxSequenceTagLength") ? "sequence-tag"
                   : startsWith(reason, "< 4 peaks") ? "too-few-peaks"
                                                       : "parent-range"];
    }
    long rejectedAfterTheScanRange = 0;
    for (const auto& [kind, count] : rejected) rejectedAfterTheScanRange += kind == "scan-range" ? 0 : count;
    EXPECT_GT(written, 10) << ids << run;
    EXPECT_EQ(shown(html, ids + "rows-written"), written) << ids << run;
    EXPECT_EQ(shown(html, ids + "figure-written"), written) << ids << run;
    EXPECT_EQ(shown(html, ids + "stats-written"), statistics["numOutputFiles"]) << ids << run;
    EXPECT_EQ(shown(html, ids + "stats-collected"), statistics["numMSMSscansCollected"]) << ids << run;
    // yepharvest counts the groups that absorbed spectra, wiffharvest the spectra absorbed.
    EXPECT_EQ(shown(html, ids + (wiff ? "stats-merged" : "stats-merged-groups")), statistics["numMSMSmergedParentScans"]);
    if (!rejects.empty()) {
        EXPECT_EQ(shown(html, ids + "rows-collected"), written + rejectedAfterTheScanRange) << ids << run;
        for (const char* kind : {"scan-range", "merged", "sequence-tag", "too-few-peaks", "parent-range"}) {
            EXPECT_EQ(shown(html, ids + "rows-" + kind), rejected[kind]) << ids << run << " " << kind;
        }
    }
    if (charges.empty()) return;
    // Spectra with charge-check rows, and those of them with survey evidence.
    std::map<std::string, bool> checked;
    for (const std::string& line : charges) checked[line.substr(0, line.find('\t'))] |= line.find("MS peak") != std::string::npos;
    long withSurveyEvidence = 0;
    for (const auto& [key, evidence] : checked) withSurveyEvidence += evidence ? 1 : 0;
    const std::size_t evidence = html.find("id=\"" + ids + "charge-evidence\">");
    ASSERT_NE(evidence, std::string::npos) << ids << run;
    EXPECT_EQ(html.substr(evidence, html.find(" with a neighbouring", evidence) - evidence),
              "id=\"" + ids + "charge-evidence\">" + std::to_string(checked.size()) + " spectra have charge-check rows; " +
                  std::to_string(withSurveyEvidence))
        << ids << run;
}

TEST_F(ReportEndToEnd, ThePageCountsWhatTheLogsHoldForEachRun) {
    const std::string real = std::string(QUARROW_REAL_DATA_DIR) + "/BSA_min_21.mzXML";
    for (const auto& [folder, run, data] : std::vector<std::tuple<WorkFolder*, std::string, std::string>>{
             {dir_, "BSA_min_21", real}, {dir_, "BSA_min_2", dir_->file("BSA_min_2.d/Analysis.yep")}}) {
        const std::string page = folder->file(run + ".html");
        const std::string chargeTable = folder->file(run + "-charges.tsv");
        const ChildResult result = report("--logs " + folder->file("logs/") + " --features features.txt --run " + run +
                                          " --data " + data + " --output " + page + " --charges " + chargeTable);
        ASSERT_EQ(result.exitStatus, 0) << result.output;
        const std::string html = readWholeFile(page);
        std::vector<std::string> charges;
        for (const std::string& line : splitText(folder->log("parentChargeCheck.txt"))) {
            if (startsWith(line, run + ".")) charges.push_back(line);
        }
        std::map<std::string, long> statistics;
        bool inBlock = false;
        for (const std::string& line : splitText(folder->log("runStats.txt"))) {
            if (startsWith(line, "FileName\t")) inBlock = line == "FileName\t" + run;
            const std::size_t tab = line.find('\t');
            if (inBlock && tab != std::string::npos) statistics[line.substr(0, tab)] += std::atol(line.c_str() + tab + 1);
        }
        expectCounts(html, "", {run}, run, folder->log("features.txt"), folder->log("xtractorRejectReasons.txt"), charges,
                     statistics, false);
        EXPECT_EQ(html.find("id=\"notices\""), std::string::npos) << run;
        for (const char* external : {"http:", "https:", "//", "src=", "<script", "url(", "@import", "<link"}) {
            EXPECT_EQ(html.find(external), std::string::npos) << run << " holds " << external;
        }
        // Each precursor at the start time of its first scan in the export.
        const std::vector<double> minutes =
            exportMinutes(readWholeFile(run == "BSA_min_21" ? real : dir_->file("BSA_min_2.d/Analysis.mzML")));
        const std::map<std::string, std::string> drawn = drawnAt(html, "");
        EXPECT_EQ(static_cast<long>(drawn.size()), shown(html, "rows-written")) << run;
        for (const auto& [name, at] : drawn) {
            const std::size_t scan = std::stoul(name.substr(run.size() + 1));
            ASSERT_LE(scan, minutes.size()) << name;
            EXPECT_EQ(at, formatText("%.3f min", minutes[scan - 1])) << name;
        }
        EXPECT_NE(html.find("Precursor m/z against retention time"), std::string::npos) << run;

        // Written charges against the instrument's: without an MGF file the
        // .pkl names give the charge a search engine is given, and the first scan.
        const std::vector<int> instrument =
            exportCharges(readWholeFile(run == "BSA_min_21" ? real : dir_->file("BSA_min_2.d/Analysis.mzML")));
        long written = 0, ones = 0, withInstrument = 0, charged = 0, agreeing = 0;
        std::map<int, long> byCharge = {{0, 0}, {1, 0}, {2, 0}, {3, 0}};
        for (const std::string& row : splitText(folder->log("features.txt"))) {
            if (!startsWith(row, run + ".")) continue;
            const std::vector<std::string> parts = splitText(row.substr(0, row.find('\t')), '.');
            const int charge = std::stoi(parts[parts.size() - 2]);
            const int given = instrument.at(std::stoul(parts[1]) - 1);
            ++written;
            ++byCharge[charge];
            ones += charge == 1;
            withInstrument += given != 0;
            charged += given != 0 && charge != 0;
            agreeing += given != 0 && charge == given;
        }
        EXPECT_GT(withInstrument, 0) << run;
        std::string header = "sample\twritten\tsingly_charged\tinstrument_charged\tcharged\tagreeing\topen";
        std::string counts = "1\t" + std::to_string(written) + "\t" + std::to_string(ones) + "\t" +
                             std::to_string(withInstrument) + "\t" + std::to_string(charged) + "\t" +
                             std::to_string(agreeing) + "\t" + std::to_string(byCharge[0]);
        for (const auto& [charge, number] : byCharge) {
            if (charge == 0) continue;
            header += "\tstated_" + std::to_string(charge);
            counts += "\t" + std::to_string(number);
        }
        EXPECT_EQ(readWholeFile(chargeTable), header + "\n" + counts + "\n");
        EXPECT_NE(html.find("The export carries the instrument's charge for " + std::to_string(withInstrument) + " of the " +
                            std::to_string(written) + " written spectra: " + std::to_string(charged) +
                            " of them are given a charge, and " + std::to_string(agreeing) + " of those agree"),
                  std::string::npos)
            << run;
        EXPECT_EQ(html.find("id=\"singly-charged-warning\"") != std::string::npos, ones * 10 > written) << run;
    }
}

// A .wiff file's samples are LC runs of their own: each has its section,
// drawn at the times its peak-list names give, and together they make the file.
TEST_F(ReportEndToEnd, EachSampleOfAWiffFileHasItsSection) {
    const std::string page = wiff_->file("lysate3.html");
    const ChildResult result =
        report("--logs " + wiff_->file("logs/") + " --features features.txt --run lysate3 --output " + page);
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    const std::string html = readWholeFile(page);
    // The charge-check rows of each sample follow its "numActualPeriods" line.
    std::vector<std::vector<std::string>> charges;
    for (const std::string& line : splitText(wiff_->log("parentChargeCheck.txt"))) {
        if (line.find("numActualPeriods") != std::string::npos) charges.emplace_back();
        if (startsWith(line, "lysate3.")) charges.back().push_back(line);
    }
    ASSERT_EQ(charges.size(), 2u);
    // Each sample's counters follow its second "sampleName: ..." line.
    std::vector<std::map<std::string, long>> statistics(3);
    int sample = 0;
    for (const std::string& line : splitText(wiff_->log("runStats.txt"))) {
        if (startsWith(line, "sampleName: ")) sample = line.back() - '0';
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos && !startsWith(line, "sampleName: ")) {
            statistics[static_cast<std::size_t>(sample)][line.substr(0, tab)] += std::atol(line.c_str() + tab + 1);
        }
    }
    std::map<std::string, long> whole = statistics[1];
    for (const auto& [name, value] : statistics[2]) whole[name] += value;
    const std::string features = wiff_->log("features.txt");
    const std::string rejects = wiff_->log("xtractorRejectReasons.txt");
    expectCounts(html, "", {"lysate3", "lysate3_2"}, "lysate3", features, rejects, {}, whole, true);
    for (int s : {1, 2}) {
        const std::string ids = "sample-" + std::to_string(s) + "-";
        // The rows of the rejects name no sample: each sample's must make up its statistics.
        expectCounts(html, ids, {s == 1 ? "lysate3" : "lysate3_2"}, "lysate3", features, "",
                     charges[static_cast<std::size_t>(s - 1)], statistics[static_cast<std::size_t>(s)], true);
        EXPECT_EQ(shown(html, ids + "rows-collected"), statistics[static_cast<std::size_t>(s)]["numMSMSscansCollected"]);
        // Each time drawn is a start time of the sample's export, within the
        // 0.1-minute step its name gives.
        std::set<std::string> exportTimes;
        for (const double minutes : exportMinutes(readWholeFile(wiff_->file(formatText("lysate3-Sample%d.mzML", s))))) {
            exportTimes.insert(formatText("%.3f min", minutes));
        }
        const std::map<std::string, std::string> drawn = drawnAt(html, ids);
        EXPECT_EQ(static_cast<long>(drawn.size()), shown(html, ids + "rows-written"));
        for (const auto& [name, at] : drawn) {
            EXPECT_EQ(exportTimes.count(at), 1u) << name << " at " << at;
            EXPECT_LE(std::fabs(std::stod(at) - std::stol(name.substr(name.find('.') + 1)) / 10.0), 0.1) << name;
        }
        EXPECT_NE(html.find("<a href=\"#" + ids + "lc-run\">"), std::string::npos) << "contents";
        EXPECT_NE(html.find("id=\"" + ids + "lc-run-counts\""), std::string::npos);
    }
    EXPECT_EQ(shown(html, "sample-1-rows-merged") + shown(html, "sample-2-rows-merged"), shown(html, "rows-merged"));
    EXPECT_EQ(html.find("in the 0.1 min steps of the peak-list names"), std::string::npos);
    EXPECT_EQ(html.find("id=\"notices\""), std::string::npos);
}

// Without its export, or with another run's, a run is drawn against scan
// numbers, and the page says why.
TEST_F(ReportEndToEnd, WithoutItsExportARunIsDrawnAgainstScanNumbers) {
    for (const std::string& data : {std::string(), dir_->file("BSA_min_2.d/Analysis.yep")}) {
        const std::string page = dir_->file("scans.html");
        const ChildResult result = report("--logs " + dir_->file("logs/") + " --features features.txt --run BSA_min_21 " +
                                          (data.empty() ? "" : "--data " + data + " ") + "--output " + page);
        ASSERT_EQ(result.exitStatus, 0) << result.output;
        const std::string html = readWholeFile(page);
        EXPECT_NE(html.find("Precursor m/z against scan number"), std::string::npos) << data;
        EXPECT_NE(html.find(data.empty() ? "quarrow-report --data" : "it is not the export of this run"), std::string::npos);
        const std::map<std::string, std::string> drawn = drawnAt(html, "");
        EXPECT_EQ(static_cast<long>(drawn.size()), shown(html, "rows-written"));
        for (const auto& [name, at] : drawn) EXPECT_EQ(at, "scan " + std::to_string(std::stol(name.substr(11)))) << name;
    }
}

// A run whose first spectrum comes 47 minutes into its acquisition: the
// time axes start there, not at 0, and the first minute drawn holds spectra.
TEST(ReportOfAnExport, ItsTimeAxesStartAtItsFirstSpectrum) {
    const WorkFolder folder;
    folder.generate("--spectra 200 --seed 9 --output " + folder.file("early.mzML"));
    const std::string early = readWholeFile(folder.file("early.mzML"));
    const std::regex time(R"re(("scan start time" value=")([0-9.eE+-]+)("[^>]*unitName="(minute|second)"))re");
    std::string late;
    auto copied = early.cbegin();
    for (std::sregex_iterator at(early.begin(), early.end(), time), end; at != end; ++at) {
        const std::smatch& m = *at;
        const double shift = m[4] == "minute" ? 47.0 : 47.0 * 60;
        late.append(copied, m[0].first).append(m[1].str() + formatText("%.6f", std::stod(m[2]) + shift) + m[3].str());
        copied = m[0].second;
    }
    late.append(copied, early.cend());
    ASSERT_NE(late, early) << "no scan start times to shift";
    writeWholeFile(folder.file("late.mzML"), late);
    ASSERT_EQ(folder.extract(YEPHARVEST_PATH, folder.file("late.mzML"), "autoCharge=Find&specFeaturesFilename=features.txt")
                  .exitStatus, 0);
    const std::string page = folder.file("late.html");
    const ChildResult result =
        runProgram({"/bin/sh", "", {}, "", {"-c", std::string(REPORT_PATH) + " --logs " + folder.file("logs/") +
                                                       " --features features.txt --run late --data " +
                                                       folder.file("late.mzML") + " --output " + page + " 2>&1"}});
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    const std::string html = readWholeFile(page);
    const std::vector<double> minutes = exportMinutes(late);
    ASSERT_FALSE(minutes.empty());
    const double first = *std::min_element(minutes.begin(), minutes.end());
    ASSERT_GE(first, 47.0);
    // The first bar of MS/MS spectra per minute, and the first tick of each chart against time.
    std::smatch bar;
    const std::size_t perMinute = html.find("aria-label=\"MS/MS spectra per minute\"");
    ASSERT_NE(perMinute, std::string::npos);
    const std::string chart = html.substr(perMinute, html.find("</svg>", perMinute) - perMinute);
    ASSERT_TRUE(std::regex_search(chart, bar, std::regex(R"(<title>(\d+) to (\d+): (\d+)</title>)")));
    EXPECT_EQ(std::stol(bar[1]), static_cast<long>(std::floor(first))) << bar[0];
    EXPECT_GT(std::stol(bar[3]), 0) << bar[0];
    for (const char* title : {"Survey scans: total ion current and base peak", "Precursor intensity in the survey scan before"}) {
        const std::size_t at = html.find("aria-label=\"" + std::string(title) + "\"");
        ASSERT_NE(at, std::string::npos) << title;
        const std::string svg = html.substr(at, html.find("</svg>", at) - at);
        std::smatch tick;
        // The x ticks follow the value grid's lines: the first label under the plot.
        ASSERT_TRUE(std::regex_search(svg, tick, std::regex(R"(y="424\.0" text-anchor="middle">([0-9.]+)<)"))) << title;
        EXPECT_GT(std::stod(tick[1]), 40.0) << title;
        EXPECT_LE(std::stod(tick[1]), first) << title;
    }
}

// yepharvest names its statistics block after the export's run id, which
// OpenMS writes as "ru_0" for every run: the report finds the block by the
// export it is given; in logs merged from two such runs, by the count of
// the run's peak lists, and where even that is the same it says that it
// cannot tell them apart instead of showing either.
TEST(ReportOfAnExport, WhoseRunIdIsNotItsRunName) {
    const WorkFolder folder;
    const WorkFolder other;
    folder.generate("--folder --output " + folder.file("ribo4.d") + " --run-id ru_0 --spectra 200 --seed 9");
    other.generate("--folder --output " + other.file("ribo5.d") + " --run-id ru_0 --spectra 260 --seed 10");
    const std::string data = folder.file("ribo4.d/Analysis.yep");
    ASSERT_EQ(folder.extract(YEPHARVEST_PATH, data, "specFeaturesFilename=features.txt").exitStatus, 0);
    ASSERT_EQ(other.extract(YEPHARVEST_PATH, other.file("ribo5.d/Analysis.yep"), "specFeaturesFilename=features.txt")
                  .exitStatus,
              0);
    const std::string stats = folder.log("runStats.txt");
    ASSERT_EQ(stats.rfind("FileName\tru_0\n", 0), 0u) << stats;
    ASSERT_EQ(other.log("runStats.txt").rfind("FileName\tru_0\n", 0), 0u);
    const auto page = [&](const std::string& logs) {
        const std::string output = folder.file("ribo4.html");
        const ChildResult result = runProgram({REPORT_PATH, "", {}, "", {"--logs", logs, "--features", "features.txt",
                                               "--run", "ribo4", "--data", data, "--output", output}});
        EXPECT_EQ(result.exitStatus, 0) << result.output;
        return readWholeFile(output);
    };
    const std::string html = page(folder.file("logs/"));
    EXPECT_EQ(html.find("id=\"notices\""), std::string::npos) << html.substr(0, 4000);
    EXPECT_NE(html.find("named ru_0: the run id of this run's export"), std::string::npos);
    const std::size_t outputFiles = stats.find("numOutputFiles\t");
    ASSERT_NE(outputFiles, std::string::npos);
    EXPECT_EQ(shown(html, "stats-written"), std::atol(stats.c_str() + outputFiles + 15)) << html.substr(0, 4000);
    EXPECT_NE(html.find("id=\"lc-run-counts\""), std::string::npos);

    // The workflow's merged logs: the other run's block first.
    const std::string merged = folder.file("merged/");
    ASSERT_TRUE(std::filesystem::create_directory(merged));
    writeWholeFile(merged + "runStats.txt", other.log("runStats.txt") + stats);
    const std::string otherRows = other.log("features.txt");
    writeWholeFile(merged + "features.txt", folder.log("features.txt") + otherRows.substr(otherRows.find('\n')));
    for (const char* name : {"xtractorRejectReasons.txt", "parentChargeCheck.txt"}) {
        writeWholeFile(merged + name, folder.log(name));
    }
    const std::string apart = page(merged);
    EXPECT_EQ(apart.find("id=\"notices\""), std::string::npos) << apart.substr(0, 4000);
    EXPECT_NE(apart.find("of the 2 such blocks the one that counts as many peak lists"), std::string::npos);
    EXPECT_EQ(shown(apart, "stats-written"), shown(html, "stats-written"));

    writeWholeFile(merged + "runStats.txt", stats + stats);
    const std::string twice = page(merged);
    EXPECT_NE(twice.find("runStats.txt holds 2 statistics blocks named ru_0"), std::string::npos);
    EXPECT_NE(twice.find("No statistics block was found for this run."), std::string::npos);
}

TEST_F(ReportEndToEnd, BadRequestsFailWithAMessageAndNoPage) {
    const std::string page = dir_->file("bad.html");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--logs " + dir_->file("logs/") + " --features features.txt --output " + page, "missing option --run"},
        {"--logs " + dir_->file("absent/") + " --features features.txt --run r --output " + page, "does not exist"},
        {"--logs " + dir_->file("logs/") + " --features features.txt --run r --output " + page + " --colour", "unknown option"},
        {"--logs " + dir_->file("logs/") + " --features features.txt --run r --output " + dir_->file("absent/x.html"),
         "cannot write"},
    };
    for (const auto& [arguments, message] : cases) {
        const ChildResult result = report(arguments);
        EXPECT_EQ(result.exitStatus, 1) << arguments;
        EXPECT_NE(result.output.find(message), std::string::npos) << result.output;
        EXPECT_FALSE(fileExists(page)) << arguments;
    }
}

// A features log that is missing or empty, and a run without a statistics block.
TEST_F(ReportEndToEnd, ARunWithoutRowsGetsAPageThatSaysSo) {
    writeWholeFile(dir_->file("logs/empty.txt"), "");
    for (const std::string state : {"missing", "empty"}) {
        const std::string page = dir_->file(state + ".html");
        const ChildResult result =
            report("--logs " + dir_->file("logs/") + " --features " + state + ".txt --run BSA --output " + page);
        ASSERT_EQ(result.exitStatus, 0) << result.output;
        const std::string html = readWholeFile(page);
        EXPECT_NE(html.find(state + ".txt is " + state + ": " + dir_->file("logs/")), std::string::npos) << state;
        EXPECT_NE(html.find("no statistics block for run BSA (it holds blocks for: BSA_min_21, BSA_min_2)"), std::string::npos);
        EXPECT_EQ(shown(html, "rows-written"), 0);
    }
}

}  // namespace
