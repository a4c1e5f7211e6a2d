// The yepharvest stages on hand-built run tables: window edges, tolerances,
// the monoisotopic walk, file bytes and the statistics block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/util/format_text.h"
#include "core/util/printable_real.h"
#include "tests/yepharvest/stage_fixture.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"
#include "yepharvest/spectrum_output.h"

namespace {

const std::string rejectHeader = "spectrumName\tnumScansAfterParent\tRejectReason";

PeakList survey() { return {peakAt(400.0, 50.0), peakAt(500.0, 5000.0), peakAt(600.0, 80.0)}; }
PeakList fragments() { return {peakAt(200.0, 10.0), peakAt(300.0, 20.0)}; }

TEST(Merging, WindowCountsEveryRecordAndNeverChains) {
    TempDir dir;
    dir.installParameterFiles();
    const std::vector<ScanSpec> run = {
        {1, 0, survey()},         {2, 500.0, fragments()}, {2, 500.1, fragments()}, {2, 500.2, fragments()},
        {2, 500.1, fragments()}, {1, 0, survey()}};
    const ChildResult r = runStages(dir, "groupScans=3", run, [] {
        preprocessMSscans();
        mergeNearbyMSMSspectra();
        for (std::int32_t i = 0; i < numScans(); ++i) {
            const MSscan& s = runTable()[static_cast<std::size_t>(i)];
            std::printf("%d:%d/%d/%d/%d ", s.scanNumber, s.rejected, s.numMergedScans, s.lastScanNumber, s.numPeaks);
        }
    });
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    // Scans 3 and 4 join scan 2 (window 3..4); scan 5 lies outside it and
    // opens its own group. The merged list bins 200.0 x3 and 300.0 x3.
    EXPECT_EQ(r.output, "1:0/0/1/3 2:0/3/4/2 3:1/1/3/2 4:1/1/4/2 5:0/1/5/2 6:0/0/6/3 ");
    EXPECT_EQ(logRows(dir, "xtractorRejectReasons.txt", rejectHeader),
              "\nr1.0003\t2\tparent: 500.10 merged with scan 0002 parent: 500.00"
              "\nr1.0004\t3\tparent: 500.20 merged with scan 0002 parent: 500.00");
}

TEST(Merging, ToleranceIsStrictAndGroupScansOneMergesNothing) {
    TempDir dir;
    dir.installParameterFiles();
    const std::vector<ScanSpec> run = {{1, 0, survey()}, {2, 500.0, fragments()}, {2, 500.5, fragments()},
                                       {2, 499.75, fragments()}, {1, 0, survey()}};
    const auto mergedCount = [&](const std::string& query) {
        const ChildResult r = runStages(dir, query, run, [] {
            preprocessMSscans();
            mergeNearbyMSMSspectra();
            std::printf("%d", runTable()[1].numMergedScans);
        });
        EXPECT_EQ(r.exitStatus, 0) << r.output;
        return r.output;
    };
    EXPECT_EQ(mergedCount("parentTolerance=0.5"), "2");  // 500.5 is exactly 0.5 away: not merged
    EXPECT_EQ(mergedCount("parentTolerance=0.5&groupScans=1"), "1");
}

TEST(Merging, RunOfMSMSOnlyGoesOnWithoutSurveyEvidence) {
    TempDir dir;
    dir.installParameterFiles();
    const ChildResult r = runStages(dir, "", {{2, 600.0, fragments()}, {2, 600.1, fragments()}, {2, 700.0, fragments()}},
                                    [] {
                                        mergeNearbyMSMSspectra();
                                        const MSscan& s = runTable()[0];
                                        std::printf("%d %d %.1f", noMSscans(), s.numMergedScans, s.parentSignalNoise);
                                    });
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    EXPECT_EQ(r.output, "1 2 0.0");
}

TEST(MonoisotopicParent, WalksDownTheClusterButNeverToTheFirstPeak) {
    TempDir dir;
    dir.installParameterFiles();
    const PeakList cluster = {peakAt(499.25, 900.0), peakAt(499.30, 250.0), peakAt(499.80, 600.0),
                              peakAt(500.30, 1000.0), peakAt(500.80, 500.0)};
    const ChildResult r = runStages(dir, "findMonoisotopicParent=1&parentTolerance=1.0", {{1, 0, cluster}, {2, 500.30, fragments()}},
                                    [] {
                                        MSscan& ms = runTable()[0];
                                        ms.noiseMean = 10.0;
                                        ms.noiseStandardDeviation = 2.0;  // threshold 5 x 2 + 10 = 20
                                        std::printf("%.2f ", findMonoisotopicParentPeak(500.30, 0, 1.0));
                                        std::printf("%.2f ", findMonoisotopicParentPeak(600.0, 0, 1.0));
                                        ms.noiseMean = 700.0;  // nothing beats the threshold
                                        std::printf("%.2f", findMonoisotopicParentPeak(500.30, 0, 1.0));
                                    });
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    // 499.80 beats half of 500.30; 499.30 does not beat half of 499.80, and
    // 499.25 (index 0) is never looked at.
    EXPECT_EQ(r.output, "499.80 600.00 500.30");
}

TEST(PrecursorIntensity, WindowOfScansAndGroupScansZero) {
    TempDir dir;
    dir.installParameterFiles();
    const std::vector<ScanSpec> run = {{1, 0, {peakAt(500.0, 100.0)}}, {2, 500.0, fragments()},
                                       {1, 0, {peakAt(499.5, 10.0), peakAt(500.5, 20.0), peakAt(500.6, 40.0)}},
                                       {2, 510.0, fragments()}, {1, 0, {peakAt(500.0, 1000.0)}}};
    const ChildResult r = runStages(dir, "", run, [] {
        preprocessMSscans();
        std::printf("%.0f ", precursorIntensityInMSscans(500.0, 2, 1, 0.5));   // scans 1..3, inclusive window
        std::printf("%.0f ", precursorIntensityInMSscans(500.0, 2, 3, 0.5));   // scans 1..5
        std::printf("%.0f", precursorIntensityInMSscans(500.0, 2, 0, 0.5));
    });
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    EXPECT_EQ(r.output, "130 1130 0");
}

TEST(ChargeModes, FixedChargeWhenLowEqualsHigh) {
    TempDir dir;
    dir.installParameterFiles();
    const std::vector<ScanSpec> run = {{1, 0, survey()}, {2, 500.0, fragments()}};
    const auto charges = [&](const std::string& query) {
        const ChildResult r = runStages(dir, query, run, [] {
            determinePrecursorCharges();
            for (std::int32_t i = 0; i < numScans(); ++i) {
                std::printf("%d/%d ", runTable()[static_cast<std::size_t>(i)].charge,
                            runTable()[static_cast<std::size_t>(i)].chargePending);
            }
        });
        EXPECT_EQ(r.exitStatus, 0) << r.output;
        return r.output;
    };
    EXPECT_EQ(charges("lowCharge=3&highCharge=3"), "3/0 3/0 ");
    EXPECT_EQ(charges("lowCharge=2&highCharge=3&autoCharge=find"), "0/0 0/1 ");
    EXPECT_EQ(readWholeFile(dir.file("parentChargeCheck.txt")), "scanNumber\tChargeAssignment");
}

TEST(ChargeModes, DefaultAssignsOnlySinglyCharged) {
    TempDir dir;
    dir.installParameterFiles();
    // 700 Th precursor: the first spectrum has nothing above it (singly
    // charged), the second has many fragments above it.
    PeakList below;
    PeakList above;
    // Thirty noise peaks of 200 put the noise level at 200, far below the
    // fragments of 100000.
    for (int k = 0; k < 30; ++k) {
        below.push_back(peakAt(110.0 + 0.5 * k, 200.0));
        above.push_back(peakAt(110.0 + 0.5 * k, 200.0));
    }
    for (int k = 0; k < 12; ++k) {
        below.push_back(peakAt(150.0 + 40.0 * k, 100000.0 + 10.0 * k));
        above.push_back(peakAt(150.0 + 100.0 * k, 100000.0 + 10.0 * k));
    }
    const ChildResult r = runStages(dir, "autoCharge=Default", {{1, 0, survey()}, {2, 700.0, below}, {2, 700.0, above}},
                                    [] {
                                        determinePrecursorCharges();
                                        for (std::size_t i = 1; i < 3; ++i) {
                                            std::printf("%d/%d/%.2f ", runTable()[i].charge, runTable()[i].chargePending,
                                                        printableReal(runTable()[i].parentMzCentroid));
                                        }
                                    });
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    // The second spectrum's centroid window (699.5..700.5) in the survey scan is empty.
    EXPECT_EQ(r.output, "1/0/700.00 0/1/nan ");
    EXPECT_EQ(readWholeFile(dir.file("parentChargeCheck.txt")), "scanNumber\tChargeAssignment");
}

TEST(PeakListFiles, NameHeaderPeaksAndNoFinalLineBreak) {
    TempDir dir;
    dir.installParameterFiles();
    const ChildResult r = runStages(dir, "specFeaturesFilename=features.txt", {{2, 445.123, {peakAt(147.114, 2034.4), peakAt(262.139, 987.6), peakAt(375.2249, 4410.0)}}}, [] {
        MSscan& s = runTable()[0];
        s.charge = 2;
        s.lastScanNumber = 15;
        s.scanNumber = 12;
        s.precursorIntensity = 88210.4;
        s.parentMzCentroid = std::nan("");
        s.specFeatures.numPeaks = 3;
        s.specFeatures.maxSequenceTag = "[146.11]GA[300.00]";
        s.specFeatures.maxSequenceTagLength = 2;
        s.specFeatures.MaxToTotalIntensityRatio = -std::nan("");
        processVelmoraLCMSMSrun();
    });
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    EXPECT_EQ(readWholeFile(dir.file("r1.0012.0015.2.pkl")), "445.12\t88210\t2\n147.11\t2034\n262.14\t988\n375.22\t4410");
    const std::string features = readWholeFile(dir.file("features.txt"));
    const std::string row = features.substr(features.find('\n'));
    EXPECT_EQ(row, "\nr1.0012.0015.2.pkl\t12\t3\t3\t445.12\t445.12\tnan\t0\t2\t1\t0\t88210\t0\t0\t0.0\tnan\t0\t0\t2"
                   "\t[146.11]GA[300.00]\tpyridylethylation");
}

TEST(SpectrumNames, ZeroPaddedToFourAndFullBeyond) {
    MSscan scan;
    scan.scanNumber = 12345;
    scan.lastScanNumber = 12345;
    EXPECT_EQ(spectrumName("r1", scan), "r1.12345.12345.0.pkl");
    scan.scanNumber = 12;
    scan.lastScanNumber = 15;
    scan.charge = 3;
    EXPECT_EQ(spectrumName("r1", scan), "r1.0012.0015.3.pkl");
}

TEST(RunStatisticsBlock, CountsAndChargeLinesUpToMaxCharge) {
    TempDir dir;
    dir.installParameterFiles();
    const std::vector<ScanSpec> run = {{1, 0, survey()}, {2, 500, fragments()}, {2, 500, fragments()},
                                       {2, 600, fragments()}, {2, 700, fragments()}, {2, 800, fragments()}};
    const ChildResult r = runStages(dir, "maxCharge=4", run, [] {
        std::vector<MSscan>& t = runTable();
        t[1].numMergedScans = 2;  // group of scans 2 and 3, charge 3
        t[1].charge = 3;
        t[2].rejected = 1;        // merged away
        t[3].charge = 0;          // undetermined
        t[4].charge = 12;         // beyond the counters
        t[5].rejected = 1;        // refused by a filter
        writeRunStatistics(countRunStatistics());
    });
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    EXPECT_EQ(readWholeFile(dir.file("runStats.txt")),
              "numMSMSscansCollected\t5\nnumMSMSmergedParentScans\t1\nnumOutputFiles\t3\nnumOutputSpectra\t3\n"
              "numMergedParentOutputSpectra\t1\n"
              "numUniqueChargeSpectra 0\t0\nnumUniqueChargeSpectra 1\t0\nnumUniqueChargeSpectra 2\t0\n"
              "numUniqueChargeSpectra 3\t1\nnumUniqueChargeSpectra 4\t0\n"
              "numAmbiguousChargeSpectra 0\t0\nnumAmbiguousChargeSpectra 1\t0\nnumAmbiguousChargeSpectra 2\t1\n"
              "numAmbiguousChargeSpectra 3\t0\nnumAmbiguousChargeSpectra 4\t0\n\n");
}

TEST(RunStatisticsBlock, ChargeLinesStopAtNine) {
    TempDir dir;
    dir.installParameterFiles();
    const ChildResult r = runStages(dir, "maxCharge=30", {}, [] { writeRunStatistics(countRunStatistics()); });
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    const std::string stats = readWholeFile(dir.file("runStats.txt"));
    EXPECT_NE(stats.find("numUniqueChargeSpectra 9\t0\n"), std::string::npos);
    EXPECT_EQ(stats.find("numUniqueChargeSpectra 10"), std::string::npos);
    EXPECT_EQ(stats.substr(stats.size() - 31), "numAmbiguousChargeSpectra 9\t0\n\n");
}

TEST(Filtering, ParentRangeUsesChargeTwoForUndetermined) {
    TempDir dir;
    dir.installParameterFiles();
    // 240.0 at charge 2 gives M+H 479: below 500.
    const ChildResult r = runStages(dir, "", {{1, 0, survey()}, {2, 240.0, fragments()}}, [] {
        filterMSMSspectra();
        std::printf("%d", runTable()[1].rejected);
    });
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    EXPECT_EQ(r.output, "1");
    EXPECT_EQ(logRows(dir, "xtractorRejectReasons.txt", rejectHeader),
              "\nr1.0002.0002.0.pkl\t0\t479.00 outside range 500.0 - 5000.0");
}

}  // namespace
