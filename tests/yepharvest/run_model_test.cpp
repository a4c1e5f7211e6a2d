// The run table and the run name.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/util/committed_file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "yepharvest/ms_scan.h"
#include "yepharvest/run_name.h"

namespace {

RunTable makeTable(const std::vector<int>& levels) {
    RunTable run;
    allocateMSscanMemory(run, static_cast<std::int32_t>(levels.size()));
    for (std::size_t i = 0; i < levels.size(); ++i) run.records[i].msLevel = levels[i];
    return run;
}

TEST(RunTable, PreceedingMSscanCountsTheRecordItself) {
    const RunTable run = makeTable({1, 2, 2, 1, 2});
    // Beyond the table (index 9): its last survey scan.
    for (const auto& [index, survey] : std::vector<std::pair<int, int>>{{0, 0}, {2, 0}, {3, 3}, {4, 3}, {9, 3}}) {
        EXPECT_EQ(findIndexOfPreceedingMSscan(run, index), survey) << index;
    }
}

// With its own line, but as every failure ends: a file not committed is
// not left behind.
TEST(RunTable, NoPreceedingMSscanEndsTheProcess) {
    const RunTable run = makeTable({2, 2, 1});
    TempDir folder;
    const ChildResult r = runInChild([&run, &folder] {
        CommittedFile file(folder.file("r.mgf"), "test");
        std::printf("asking");
        findIndexOfPreceedingMSscan(run, 1);
        std::printf("returned");
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, "asking\n<BR>Error: spectrumIndex < 0 in function: findIndexOfPreceedingMSscan");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "a temporary was left";
    EXPECT_FALSE(preceedingMSscan(run, 1).has_value());
    EXPECT_EQ(preceedingMSscan(run, 2), std::optional<std::int32_t>(2));
}

// A run folder names the run; any other data file is named without its
// folders and its extensions; its spectra after it.
TEST(RunName, FromTheRunFolderOrTheFileNameAndSpectrumNames) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"D:\\runs\\X.D\\Analysis.yep", "X"},          {"/data/a.d/b.D/Analysis.yep", "b"},
        {"sample7.d\\Analysis.yep", "sample7"},         {"/data/exports/bsa_21.MZML.GZ", "bsa_21"},
        {"C:\\data\\run.d\\analysis.yep", "analysis"}, {"plainname", "plainname"},
        {"", ""},
    };
    for (const auto& [path, run] : cases) EXPECT_EQ(getRunName(path), run) << path;
    // Scan numbers are padded to four digits (the file test has that form),
    // never cut.
    MSscan scan;
    scan.scanNumber = scan.lastScanNumber = 12345;
    EXPECT_EQ(spectrumName("r1", scan), "r1.12345.12345.0.pkl");
}

}  // namespace
