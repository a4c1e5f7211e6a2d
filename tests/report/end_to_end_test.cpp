// The real tool on the logs of real runs: a generated yepharvest run and the
// real BSA run appended to one log folder, the one's name a prefix of the
// other's, and a two-sample wiffharvest run in a folder of its own; the
// page's counts checked against the logs as read here, independently of the
// tool's own parsing.
#include <gtest/gtest.h>

#include <map>

#include "tests/support/child_process.h"
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
    static void SetUpTestSuite() {
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
    static inline WorkFolder* dir_ = nullptr;
    static inline WorkFolder* wiff_ = nullptr;
};

TEST_F(ReportEndToEnd, ThePageCountsWhatTheLogsHoldForEachRun) {
    long evidenceSeen = 0;
    const std::vector<std::pair<WorkFolder*, std::string>> runs = {{dir_, "BSA_min_21"}, {dir_, "BSA_min_2"}, {wiff_, "lysate3"}};
    for (const auto& [folder, run] : runs) {
        const bool wiff = folder == wiff_;
        const auto log = [&](const std::string& name) { return folder->log(name); };
        const std::string page = folder->file(run + ".html");
        const ChildResult result =
            report("--logs " + folder->file("logs/") + " --features features.txt --run " + run + " --output " + page);
        ASSERT_EQ(result.exitStatus, 0) << result.output;
        const std::string html = readWholeFile(page);

        long written = 0;
        // A second sample's peak lists carry "_2" after the run's name.
        for (const std::string& line : splitText(log("features.txt")))
            written += startsWith(line, run + ".") || (wiff && startsWith(line, run + "_2.")) ? 1 : 0;
        std::map<std::string, long> rejected;
        for (const std::string& line : splitText(log("xtractorRejectReasons.txt"))) {
            if (!startsWith(line, run + ".")) continue;
            const std::string reason = line.substr(line.rfind('\t') + 1);
            ++rejected[startsWith(reason, "scan #") ? "scan-range"
                       : reason.find("merged with scan") != std::string::npos ? "merged"
                       : startsWith(reason, "maxSequenceTagLength") ? "sequence-tag"
                       : startsWith(reason, "< 4 peaks") ? "too-few-peaks"
                                                           : "parent-range"];
        }
        // Spectra with charge-check rows, and those of them with survey evidence.
        std::map<std::string, bool> checked;
        for (const std::string& line : splitText(log("parentChargeCheck.txt"))) {
            if (!startsWith(line, run + ".")) continue;
            checked[line.substr(0, line.find('\t'))] |= line.find("MS peak") != std::string::npos;
        }
        long withSurveyEvidence = 0;
        for (const auto& [key, evidence] : checked) withSurveyEvidence += evidence ? 1 : 0;
        // A .wiff run's counters are summed over its samples' blocks.
        std::map<std::string, long> statistics;
        bool inBlock = wiff;
        for (const std::string& line : splitText(log("runStats.txt"))) {
            if (startsWith(line, "FileName\t")) inBlock = line == "FileName\t" + run;
            const std::size_t tab = line.find('\t');
            if (inBlock && tab != std::string::npos) statistics[line.substr(0, tab)] += std::atol(line.c_str() + tab + 1);
        }

        long rejectedAfterTheScanRange = 0;
        for (const auto& [kind, count] : rejected) rejectedAfterTheScanRange += kind == "scan-range" ? 0 : count;
        EXPECT_GT(written, 10) << run;
        EXPECT_EQ(shown(html, "rows-collected"), written + rejectedAfterTheScanRange) << run;
        EXPECT_EQ(shown(html, "rows-written"), written) << run;
        EXPECT_EQ(shown(html, "figure-written"), written) << run;
        EXPECT_EQ(shown(html, "stats-written"), statistics["numOutputFiles"]) << run;
        EXPECT_EQ(shown(html, "stats-collected"), statistics["numMSMSscansCollected"]) << run;
        // yepharvest counts the groups that absorbed spectra, wiffharvest the spectra absorbed.
        EXPECT_EQ(shown(html, wiff ? "stats-merged" : "stats-merged-groups"), statistics["numMSMSmergedParentScans"]) << run;
        for (const char* kind : {"scan-range", "merged", "sequence-tag", "too-few-peaks", "parent-range"}) {
            EXPECT_EQ(shown(html, std::string("rows-") + kind), rejected[kind]) << run << " " << kind;
        }
        const std::size_t evidence = html.find("id=\"charge-evidence\">");
        ASSERT_NE(evidence, std::string::npos) << run;
        EXPECT_EQ(html.substr(evidence, html.find(" with a neighbouring", evidence) - evidence),
                  "id=\"charge-evidence\">" + std::to_string(checked.size()) + " spectra have charge-check rows; " +
                      std::to_string(withSurveyEvidence))
            << run;
        evidenceSeen += withSurveyEvidence;
        EXPECT_EQ(html.find("id=\"notices\""), std::string::npos) << run;
        for (const char* external : {"http:", "https:", "//", "src=", "<script", "url(", "@import", "<link"}) {
            EXPECT_EQ(html.find(external), std::string::npos) << run << " holds " << external;
        }
    }
    EXPECT_GT(evidenceSeen, 0);
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
