// The closing line of each way a run ends, and the record's fields kept one
// line each whatever they hold.
#include <gtest/gtest.h>

#include <algorithm>

#include "frontend/run_record.h"

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

}  // namespace
