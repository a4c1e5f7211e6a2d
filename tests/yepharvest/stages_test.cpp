// The yepharvest stages on hand-built run tables: window edges, tolerances,
// the monoisotopic walk, file bytes and the statistics block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "tests/support/whole_table_stages.h"
#include "core/extractor/precursor_tics.h"
#include "core/util/format_text.h"
#include "tests/support/temp_dir.h"
#include "tests/yepharvest/stage_fixture.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/run_counts.h"
#include "yepharvest/spectral_files.h"
#include "core/extractor/survey_scans.h"
#include "yepharvest/survey_scan_queries.h"

namespace {

PeakList survey() { return {peakAt(400.0, 50.0), peakAt(500.0, 5000.0), peakAt(600.0, 80.0)}; }
PeakList fragments() { return {peakAt(200.0, 10.0), peakAt(300.0, 20.0)}; }

// A reagent pair's partners lie at the pair's mass difference over the
// charge, once and twice, below and above the precursor: ICAT-mix, D8 minus
// H8 = 8.0502, at charge 2 4.0251 Th apart.
TEST(PrecursorTICs, MixturePartnersAtOnceAndTwiceTheDifference) {
    StageRun s("cys=ICAT-mix", {{1, 0, {peakAt(691.95, 11.0), peakAt(695.975, 22.0), peakAt(700.0, 100.0),
                                         peakAt(704.025, 33.0), peakAt(708.05, 44.0)}},
                                {2, 700.0, fragments()}});
    s.run[1].charge = 2;
    calculatePrecursorTICs(s.run.records, s.context);
    const SpecFeatures& f = s.run[1].specFeatures;
    EXPECT_EQ(formatText("%.0f %.0f %.0f %.0f %.0f", s.run[1].precursorIntensity, f.ICATlightIntensity,
                         f.ICATheavyIntensity, f.ICATlightIntensity2, f.ICATheavyIntensity2),
              "100 22 33 11 44");
}

// The window counts every record and never chains; the tolerance is strict,
// and groupScans=1 merges nothing.
TEST(Merging, WindowToleranceAndGroupScans) {
    StageRun s("groupScans=3", {{1, 0, survey()},
                                {2, 500.0, fragments()},
                                {2, 500.1, fragments()},
                                {2, 500.2, fragments()},
                                {2, 500.1, fragments()},
                                {1, 0, survey()}});
    preprocessMSscans(s.run, s.context);
    mergeNearbyMSMSspectra(s.run, s.context);
    std::string records;
    for (const MSscan& r : s.run.records) {
        records += formatText("%d:%d/%d/%d/%d ", r.scanNumber, r.rejected, r.numMergedScans, r.lastScanNumber, r.numPeaks);
    }
    // Scans 3 and 4 join scan 2 (window 3..4); scan 5 lies outside it and
    // opens its own group. The merged list bins 200.0 x3 and 300.0 x3.
    EXPECT_EQ(records, "1:0/0/1/3 2:0/3/4/2 3:1/1/3/2 4:1/1/4/2 5:0/1/5/2 6:0/0/6/3 ");
    EXPECT_EQ(s.logs.rejectReasons.text(),
              "\nr1.0003\t2\tparent: 500.10 merged with scan 0002 parent: 500.00"
              "\nr1.0004\t3\tparent: 500.20 merged with scan 0002 parent: 500.00");

    const auto mergedCount = [](const std::string& query) {
        StageRun t(query, {{1, 0, survey()}, {2, 500.0, fragments()}, {2, 500.5, fragments()},
                          {2, 499.75, fragments()}, {1, 0, survey()}});
        preprocessMSscans(t.run, t.context);
        mergeNearbyMSMSspectra(t.run, t.context);
        return t.run[1].numMergedScans;
    };
    EXPECT_EQ(mergedCount("parentTolerance=0.5"), 2);  // 500.5 is exactly 0.5 away: not merged
    EXPECT_EQ(mergedCount("parentTolerance=0.5&groupScans=1"), 1);
}

TEST(MonoisotopicParent, WalksDownTheClusterButNeverToTheFirstPeak) {
    StageRun s("", {{1, 0, {peakAt(499.25, 900.0), peakAt(499.30, 250.0), peakAt(499.80, 600.0),
                            peakAt(500.30, 1000.0), peakAt(500.80, 500.0)}},
                    {2, 500.30, fragments()}});
    MSscan& ms = s.run[0];
    ms.noiseMean = 10.0;
    ms.noiseStandardDeviation = 2.0;  // threshold 5 x 2 + 10 = 20
    // 499.80 beats half of 500.30; 499.30 does not beat half of 499.80, and
    // 499.25 (index 0) is never looked at.
    EXPECT_EQ(findMonoisotopicParentPeak(s.run, 500.30, 0, 1.0, 5), 499.80);
    EXPECT_EQ(findMonoisotopicParentPeak(s.run, 600.0, 0, 1.0, 5), 600.0);
    ms.noiseMean = 700.0;  // nothing beats the threshold
    EXPECT_EQ(findMonoisotopicParentPeak(s.run, 500.30, 0, 1.0, 5), 500.30);
}

TEST(MonoisotopicParent, PreprocessingMovesThePrecursorOnlyWhenAsked) {
    // Fifty noise peaks of 5 put the threshold at 5 (deviation 0).
    PeakList surveyPeaks;
    for (int k = 0; k < 50; ++k) surveyPeaks.push_back(peakAt(100.0 + k, 5.0));
    surveyPeaks.push_back(peakAt(499.80, 900.0));
    surveyPeaks.push_back(peakAt(500.30, 1000.0));
    const std::vector<ScanSpec> scans = {{1, 0, surveyPeaks}, {2, 500.30, fragments()}};
    for (const auto& [query, expected] : {std::pair<std::string, double>{"findMonoisotopicParent=1", 499.80},
                                          std::pair<std::string, double>{"", 500.30}}) {
        StageRun s(query, scans);
        preprocessMSscans(s.run, s.context);
        EXPECT_EQ(s.run[1].parentMz, expected) << query;
        EXPECT_EQ(s.run[1].selectedParentMz, 500.30) << query;
    }
}

TEST(PrecursorIntensity, WindowOfScansAndGroupScansZero) {
    StageRun s("", {{1, 0, {peakAt(500.0, 100.0)}},
                    {2, 500.0, fragments()},
                    {1, 0, {peakAt(499.5, 10.0), peakAt(500.5, 20.0), peakAt(500.6, 40.0)}},
                    {2, 510.0, fragments()},
                    {1, 0, {peakAt(500.0, 1000.0)}}});
    preprocessMSscans(s.run, s.context);
    // Window 1 sums scans 1..3 (inclusive), 3 scans 1..5, 0 nothing; the
    // largest window does not wrap around.
    for (const auto& [window, sum] : std::vector<std::pair<std::int32_t, double>>{{1, 130.0}, {3, 1130.0}, {0, 0.0}, {INT32_MAX, 1130.0}}) {
        EXPECT_EQ(precursorIntensityInMSscans(s.run.records, 500.0, 2, window, 0.5), sum) << window;
    }
}

TEST(PeakListFiles, NameHeaderPeaksAndNoFinalLineBreak) {
    TempDir dir;
    StageRun s("resultsXtractorDir=" + dir.path() + "/",
               {{2, 445.123, {peakAt(147.114, 2034.4), peakAt(262.139, 987.6), peakAt(375.2249, 4410.0)}}});
    MSscan& r = s.run[0];
    r.charge = 2;
    r.lastScanNumber = 15;
    r.scanNumber = 12;
    r.precursorIntensity = 88210.4;
    r.parentMzCentroid = std::nan("");
    r.specFeatures.numPeaks = 3;
    r.specFeatures.maxSequenceTag = "[146.11]GA[300.00]";
    r.specFeatures.maxSequenceTagLength = 2;
    r.specFeatures.MaxToTotalIntensityRatio = -std::nan("");
    processVelmoraLCMSMSrun(s.run, s.context);
    EXPECT_EQ(readWholeFile(dir.file("r1.0012.0015.2.pkl")), "445.12\t88210\t2\n147.11\t2034\n262.14\t988\n375.22\t4410");
    EXPECT_EQ(s.logs.specFeatures.text(),
              "\nr1.0012.0015.2.pkl\t12\t3\t3\t445.12\t445.12\tnan\t0\t2\t1\t0\t88210\t0\t0\t0.0\tnan\t0\t0\t2"
              "\t[146.11]GA[300.00]\tpyridylethylation");
}

TEST(RunStatisticsBlock, CountsAndChargeLinesUpToMaxCharge) {
    StageRun s("maxCharge=4", {{1, 0, survey()}, {2, 500, fragments()}, {2, 500, fragments()},
                               {2, 600, fragments()}, {2, 700, fragments()}, {2, 800, fragments()}});
    s.run[1].numMergedScans = 2;  // group of scans 2 and 3, charge 3
    s.run[1].charge = 3;
    s.run[2].rejected = true;        // merged away
    s.run[3].charge = 0;          // undetermined
    s.run[4].charge = 12;         // beyond the counters
    s.run[5].rejected = true;        // refused by a filter
    writeRunStatistics(countRunStatistics(s.run), s.context.parameters.maxCharge, s.logs.runStats);
    EXPECT_EQ(s.logs.runStats.text(),
              "numMSMSscansCollected\t5\nnumMSMSmergedParentScans\t1\nnumOutputFiles\t3\nnumOutputSpectra\t3\n"
              "numMergedParentOutputSpectra\t1\n"
              "numUniqueChargeSpectra 0\t0\nnumUniqueChargeSpectra 1\t0\nnumUniqueChargeSpectra 2\t0\n"
              "numUniqueChargeSpectra 3\t1\nnumUniqueChargeSpectra 4\t0\n"
              "numAmbiguousChargeSpectra 0\t0\nnumAmbiguousChargeSpectra 1\t0\nnumAmbiguousChargeSpectra 2\t1\n"
              "numAmbiguousChargeSpectra 3\t0\nnumAmbiguousChargeSpectra 4\t0\n\n");
}

}  // namespace
