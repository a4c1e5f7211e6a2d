// The run table and the run name.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"
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
    EXPECT_EQ(findIndexOfPreceedingMSscan(run, 0), 0);
    EXPECT_EQ(findIndexOfPreceedingMSscan(run, 2), 0);
    EXPECT_EQ(findIndexOfPreceedingMSscan(run, 3), 3);
    EXPECT_EQ(findIndexOfPreceedingMSscan(run, 4), 3);
    EXPECT_EQ(findIndexOfPreceedingMSscan(run, 9), 3);  // beyond the table: its last survey scan
}

TEST(RunTable, NoPreceedingMSscanEndsTheProcess) {
    const RunTable run = makeTable({2, 2, 1});
    const ChildResult r = runInChild([&run] {
        std::printf("asking");
        findIndexOfPreceedingMSscan(run, 1);
        std::printf("returned");
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, "asking\n<BR>Error: spectrumIndex < 0 in function: findIndexOfPreceedingMSscan");
    EXPECT_FALSE(preceedingMSscan(run, 1).has_value());
    EXPECT_EQ(preceedingMSscan(run, 2), std::optional<std::int32_t>(2));
}

TEST(RunName, FromTheRunFolder) {
    EXPECT_EQ(getRunName("D:\\runs\\sample7.d\\Analysis.yep"), "sample7");
    EXPECT_EQ(getRunName("D:\\runs\\X.D\\Analysis.yep"), "X");
    EXPECT_EQ(getRunName("/data/runs/sample7.d/Analysis.yep"), "sample7");
    EXPECT_EQ(getRunName("/data/a.d/b.D/Analysis.yep"), "b");
    EXPECT_EQ(getRunName("sample7.d\\Analysis.yep"), "sample7");
}

TEST(RunName, OtherDataFilesLoseFolderAndExtension) {
    EXPECT_EQ(getRunName("/data/exports/bsa_21.mzXML"), "bsa_21");
    EXPECT_EQ(getRunName("/data/exports/bsa_21.MZML.GZ"), "bsa_21");
    EXPECT_EQ(getRunName("C:\\data\\run.d\\analysis.yep"), "analysis");
    EXPECT_EQ(getRunName("plainname"), "plainname");
    EXPECT_EQ(getRunName(""), "");
}

}  // namespace
