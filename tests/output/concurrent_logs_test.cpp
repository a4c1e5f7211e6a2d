// Eight runs, four of each program, started at the same moment into one
// empty log folder, as concurrent web requests with the same logFileDir are:
// every row of the four logs whole and present, one header per file, the
// same peak lists as the runs one at a time. And eight runs of one run, with
// two settings, into one peak-list folder: each file whole, as one run wrote it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "tests/output/output_test_support.h"

namespace {

using namespace output_tests;
namespace fs = std::filesystem;

TEST(ConcurrentLogs, EightRunsIntoOneLogFolder) {
    TempDir dir;
    dir.installParameterFiles();
    std::vector<std::pair<std::string, GeneratedRun>> runs;
    for (int k = 1; k <= 4; ++k) {
        const std::string y = "y" + std::to_string(k);
        runGenerator("--folder --output " + dir.file(y + ".d") + " --spectra 600 --seed " + std::to_string(k));
        runs.push_back({y, {YEPHARVEST_PATH, dir.file(y + ".d/Analysis.yep")}});
        const std::string w = "w" + std::to_string(k);
        runGenerator("--sciex qstar --samples 2 --spectra 300 --seed " + std::to_string(10 + k) + " --output " +
                    dir.file(w + ".wiff"));
        runs.push_back({w, {WIFFHARVEST_PATH, dir.file(w + ".wiff")}});
    }

    // Each run alone, into its own folders.
    std::map<std::string, std::map<std::string, std::string>> singleLogs;
    std::map<std::string, std::string> singlePeakLists;
    for (const auto& [name, run] : runs) {
        const std::string logs = dir.file("single-" + name + "-logs/");
        const std::string peaklists = dir.file("single-" + name + "-peaklists/");
        fs::create_directory(logs);
        fs::create_directory(peaklists);
        const ChildResult result = runProgram(programRun(run, dir.path(), logs, peaklists, "&autoCharge=Find"));
        ASSERT_EQ(result.exitStatus, 0) << name << "\n" << result.output;
        singleLogs[name] = folderContents(logs);
        for (const auto& [file, content] : folderContents(peaklists)) singlePeakLists[file] = content;
    }

    // All at once, into one log folder and one peak-list folder.
    fs::create_directory(dir.file("shared-logs"));
    fs::create_directory(dir.file("shared-peaklists"));
    std::vector<ProgramRun> together;
    for (const auto& [name, run] : runs) {
        together.push_back(
            programRun(run, dir.path(), dir.file("shared-logs/"), dir.file("shared-peaklists/"), "&autoCharge=Find"));
    }
    const std::vector<ChildResult> results = runProgramsTogether(together);
    for (std::size_t k = 0; k < results.size(); ++k) {
        EXPECT_EQ(results[k].exitStatus, 0) << runs[k].first << "\n" << results[k].output;
    }
    const std::map<std::string, std::string> shared = folderContents(dir.file("shared-logs"));

    for (const std::string log : {"parentChargeCheck.txt", "xtractorRejectReasons.txt", "specFeatures.txt"}) {
        SCOPED_TRACE(log);
        const std::string text = shared.at(log);
        // One header, the first line, from whichever run came first.
        std::set<std::string> headers;
        for (const auto& [name, files] : singleLogs) headers.insert(firstLine(files.at(log)));
        EXPECT_EQ(headers.count(firstLine(text)), 1u) << firstLine(text);
        // Every row of every run, whole, and nothing else (no second header).
        std::vector<std::string> rows = logRows(text);
        std::vector<std::string> expected;
        for (const auto& [name, files] : singleLogs) {
            const std::vector<std::string> single = logRows(files.at(log));
            expected.insert(expected.end(), single.begin(), single.end());
        }
        std::sort(rows.begin(), rows.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_GT(expected.size(), 1000u);
        EXPECT_TRUE(rows == expected) << rows.size() << " rows where the runs alone wrote " << expected.size();
    }

    // runStats.txt: each run's statistics text whole, and nothing else.
    const std::string statistics = shared.at("runStats.txt");
    std::size_t total = 0;
    for (const auto& [name, files] : singleLogs) {
        EXPECT_NE(statistics.find(files.at("runStats.txt")), std::string::npos) << name << ": not whole";
        total += files.at("runStats.txt").size();
    }
    EXPECT_EQ(statistics.size(), total);

    EXPECT_EQ(folderContents(dir.file("shared-peaklists")), singlePeakLists);
}

// Both settings write an MGF file per sample, and files of the same names
// with other contents: no run may fail another, or splice a file of both.
TEST(ConcurrentLogs, OneRunEightTimesIntoOnePeakListFolder) {
    TempDir dir;
    dir.installParameterFiles();
    runGenerator("--sciex qstar --samples 2 --spectra 200 --seed 5 --output " + dir.file("w.wiff"));
    const GeneratedRun run{WIFFHARVEST_PATH, dir.file("w.wiff")};
    const std::string settings[] = {"&peakListFormat=both", "&peakListFormat=both&groupScans=0"};
    std::map<std::string, std::set<std::string>> versions;  // by file name, what each setting alone writes
    std::vector<ProgramRun> together;
    for (int k = 0; k < 8; ++k) {
        const std::string logs = dir.file("logs" + std::to_string(k) + "/");
        fs::create_directory(logs);
        together.push_back(programRun(run, dir.path(), logs, dir.file("shared/"), settings[k % 2]));
        if (k >= 2) continue;
        fs::create_directory(dir.file("alone/"));
        ASSERT_EQ(runProgram(programRun(run, dir.path(), logs, dir.file("alone/"), settings[k])).exitStatus, 0);
        for (const auto& [name, content] : folderContents(dir.file("alone"))) versions[name].insert(content);
        fs::remove_all(dir.file("alone"));
    }
    EXPECT_EQ(versions.at("w_2.mgf").size(), 2u);
    fs::create_directory(dir.file("shared"));
    for (const ChildResult& result : runProgramsTogether(together)) EXPECT_EQ(result.exitStatus, 0) << result.output;
    const std::map<std::string, std::string> shared = folderContents(dir.file("shared"));
    EXPECT_EQ(shared.size(), versions.size());
    for (const auto& [name, content] : shared) {
        EXPECT_EQ(versions[name].count(content), 1u) << name << " is not as either run alone wrote it";
    }
}

}  // namespace
