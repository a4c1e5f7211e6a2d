// The closing line of each way a run ends, the record's fields kept one
// line each whatever they hold, the tally of a call, and what a run that
// did not succeed keeps in its folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "frontend/run_record.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(RunRecord, ClosingLines) {
    const ExtractRun run{.name = "BSA2", .program = Program::yepharvest, .folder = "/o/BSA2/"};
    const auto ended = [](int status, int signal, const char* sentence) {
        LaunchOutcome outcome{.exitStatus = status, .signal = signal};
        if (*sentence != '\0') outcome.failure = FailureLine{status, sentence};
        return outcome;
    };
    struct Case {
        std::optional<LaunchOutcome> outcome;
        RunCounts counts;
        std::string error;
        std::string line;
    };
    const std::vector<Case> cases = {
        {ended(0, 0, ""), {843, 1, 0, 1204}, "",
         "BSA2: 843 spectra written to 1 MGF file, 1,204 rejected; record /o/BSA2/run.tsv"},
        {ended(0, 0, ""), {1, 2, 1, 0}, "", "BSA2: 1 spectrum written to 2 MGF files and 1 .pkl file, 0 rejected; record /o/BSA2/run.tsv"},
        {ended(0, 0, ""), {1234567, 0, 1234567, 999}, "",
         "BSA2: 1,234,567 spectra written to 1,234,567 .pkl files, 999 rejected; record /o/BSA2/run.tsv"},
        {ended(0, 0, ""), {0, 0, 0, 12}, "", "BSA2: 0 spectra written to no peak-list file, 12 rejected; record /o/BSA2/run.tsv"},
        {ended(1, 0, "Gone."), {}, "Gone.", "BSA2: yepharvest failed (exit status 1: Gone.); record /o/BSA2/run.tsv"},
        {ended(1, 0, ""), {}, "", "BSA2: yepharvest failed (exit status 1); record /o/BSA2/run.tsv"},
        {ended(0, 15, ""), {}, "", "BSA2: yepharvest was stopped by signal 15; record /o/BSA2/run.tsv"},
        {std::nullopt, {}, "no process", "BSA2: yepharvest was not started: no process; record /o/BSA2/run.tsv"},
    };
    for (const Case& c : cases) {
        const RunRecord record{.outcome = c.outcome, .error = c.error, .counts = c.counts};
        EXPECT_EQ(closingLine(run, record), c.line);
    }
}

TEST(RunRecord, EveryFieldStaysOneLine) {
    const ExtractRun run{.given = "a\tb\\c\nd.mzML", .name = "x", .query = {{"groupScans", "10"}, {"lastScan", "9"}},
                         .filled = {{"lastScan", "9"}}};
    const RunRecord record{.outcome = LaunchOutcome{}};
    const std::string text = recordText(run, {{"groupScans", "10"}}, record);
    EXPECT_NE(text.find("\ninput\ta\\tb\\\\c\\nd.mzML\t\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\noutcome\tok\t\nexit status\t0\t\nsignal\t\t\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\ngroupScans\t10\tgiven\nlastScan\t9\tfront ends' default\n")) << text;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        EXPECT_EQ(std::count(text.begin() + static_cast<long>(at), text.begin() + static_cast<long>(end), '\t'), 2);
    }
}

// Each outcome counted once, each run's folder on a line of its own with
// nothing raw for a terminal.
TEST(RunRecord, TallyOfACall) {
    const std::vector<std::pair<std::vector<TalliedRun>, std::string>> cases = {
        {{{"/o/a/", "ok"}, {"/o/b/", "failed"}, {"/o/c/", "stopped"}},
         "3 runs: 1 finished, 1 failed, 1 stopped\n  finished  /o/a/\n  failed    /o/b/\n  stopped   /o/c/\n"},
        {{{"/o/a/", "ok"}, {"/o/b/", "ok"}},
         "2 runs: 2 finished, 0 failed, 0 stopped\n  finished  /o/a/\n  finished  /o/b/\n"},
        // A program that could not be started failed; runs after an interrupt did not run.
        {{{"/o/a/", "not started"}, {"/o/b/", "stopped"}, {"/o/c/", "not run"}, {"/o/d/", "not run"}},
         "4 runs: 0 finished, 1 failed, 1 stopped, 2 not run\n  failed    /o/a/\n  stopped   /o/b/\n"
         "  not run   /o/c/\n  not run   /o/d/\n"},
        {{{"/o/new\nline\x1b[2J/", "failed"}, {"/o/x/", "ok"}},
         "2 runs: 1 finished, 1 failed, 0 stopped\n  failed    /o/new\\nline\\x1b[2J/\n  finished  /o/x/\n"},
    };
    for (const auto& [runs, text] : cases) EXPECT_EQ(tallyText(runs), text);
}

// A program that ends badly without its failure line still leaves an error.
TEST(RunRecord, AnErrorEvenWithoutTheProgramsWords) {
    EXPECT_EQ(endedWithoutSayingWhy("yepharvest", LaunchOutcome{.signal = 9}),
              "yepharvest was ended by signal 9 (Killed) before it said why.");
    EXPECT_EQ(endedWithoutSayingWhy("wiffharvest", LaunchOutcome{.exitStatus = 3}),
              "wiffharvest ended with exit status 3 without saying why.");
}

// What a failed run keeps: the files that hold a row, a count or a warning;
// no header alone, no statistics of zeros, no empty folder.
TEST(RunRecord, AFailedRunKeepsOnlyWhatHoldsSomething) {
    const std::string header = "spectrumName\tnumScansAfterParent\tRejectReason";
    const std::string zeros = "numMSMSscansCollected\t0\nnumOutputSpectra\t0\nnumUniqueChargeSpectra 1\t0\n\n";
    struct Case {
        std::string file;
        std::string text;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"logs/xtractorRejectReasons.txt", header, false},
        {"logs/parentChargeCheck.txt", "scanNumber\tChargeAssignment\n", false},
        {"logs/specFeatures.txt", "", false},
        {"logs/runStats.txt", zeros, false},
        {"peaklists/r.mgf", "", false},
        {"logs/xtractorRejectReasons.txt", header + "\nr.12.12.2\t0\tcharge", true},
        {"logs/runStats.txt", zeros + "numOutputSpectra\t12\n", true},
        {"logs/runStats.txt", zeros + "exportWarning\tno index\n", true},
        {"peaklists/r.mgf", "BEGIN IONS\n", true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::filesystem::create_directories(dir.file("logs"));
        std::filesystem::create_directories(dir.file("peaklists"));
        writeWholeFile(dir.file(c.file), c.text);
        clearEmptyResults(dir.path() + "/");
        EXPECT_EQ(fileExists(dir.file(c.file)), c.kept) << c.file << ": " << c.text;
        // The other folder held nothing.
        const std::string other = c.file.starts_with("logs") ? "peaklists" : "logs";
        EXPECT_FALSE(std::filesystem::exists(dir.file(other))) << c.file;
        EXPECT_EQ(std::filesystem::exists(dir.file(c.file.substr(0, c.file.find('/')))), c.kept) << c.file;
    }
}

}  // namespace
