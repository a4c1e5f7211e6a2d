// The run table and the run name.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"
#include "yepharvest/ms_scan.h"
#include "yepharvest/run_name.h"

namespace {

void makeTable(const std::vector<int>& levels) {
    allocateMSscanMemory(static_cast<std::int32_t>(levels.size()));
    setNumScans(static_cast<std::int32_t>(levels.size()));
    for (std::size_t i = 0; i < levels.size(); ++i) runTable()[i].msLevel = levels[i];
}

TEST(RunTable, AllocationAddsOneZeroedRecord) {
    allocateMSscanMemory(3);
    ASSERT_EQ(runTable().size(), 4u);
    for (const MSscan& scan : runTable()) {
        EXPECT_EQ(scan.msLevel, 0);
        EXPECT_EQ(scan.scanNumber, 0);
        EXPECT_TRUE(scan.peaks.empty());
        EXPECT_EQ(scan.specFeatures.maxSequenceTag, "");
    }
}

TEST(RunTable, PreceedingMSscanCountsTheRecordItself) {
    makeTable({1, 2, 2, 1, 2});
    EXPECT_EQ(findIndexOfPreceedingMSscan(0), 0);
    EXPECT_EQ(findIndexOfPreceedingMSscan(2), 0);
    EXPECT_EQ(findIndexOfPreceedingMSscan(3), 3);
    EXPECT_EQ(findIndexOfPreceedingMSscan(4), 3);
    EXPECT_TRUE(preceedingMSscan(1).has_value());
}

TEST(RunTable, NoPreceedingMSscanEndsTheProcess) {
    const ChildResult r = runInChild([] {
        makeTable({2, 2, 1});
        std::printf("asking");
        findIndexOfPreceedingMSscan(1);
        std::printf("returned");
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, "asking\n<BR>Error: spectrumIndex < 0 in function: findIndexOfPreceedingMSscan");
    makeTable({2, 2, 1});
    EXPECT_FALSE(preceedingMSscan(1).has_value());
    EXPECT_TRUE(preceedingMSscan(2).has_value());
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
