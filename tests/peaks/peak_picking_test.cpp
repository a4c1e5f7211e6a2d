#include <algorithm>

#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_filters.h"
#include "core/peaks/peak_picking.h"
#include "peak_test_support.h"

namespace {

using PeakFilterTest = PeakTest;
using PickPeaksTest = PeakTest;

std::vector<double> mzOf(const PeakList& list) {
    std::vector<double> mz;
    for (const KestranePeak& peak : list) mz.push_back(peak.mOverZ);
    return mz;
}

TEST_F(PeakFilterTest, SinglyChargedPrecursorCutsEverythingFromPMinusCarbonDioxideMinusOne) {
    // 800 - m(C O2) - 1 = 755.0101...
    PeakList list = peaks({{500.0, 1.0}, {755.01, 1.0}, {755.02, 1.0}, {900.0, 1.0}});
    EXPECT_EQ(removePeaksNearPrecursor(list, makeParentKestranePeak(800.0, 1, 0.5)), 2u);
    EXPECT_EQ(mzOf(list), (std::vector<double>{500.0, 755.01}));
    EXPECT_GT(755.02, 800.0 - kCO2 - 1.0);
}

TEST_F(PeakFilterTest, DoublyChargedPrecursorDropsItsWindowAndTheTwoWaterLoss) {
    // Window 790 to 802.5; two waters at 800 - 18.0106, +- 1.5.
    PeakList list = peaks({{500.0, 1},
                           {780.45, 1},
                           {780.5, 1},
                           {781.99, 1},
                           {783.55, 1},
                           {789.99, 1},
                           {790.0, 1},
                           {802.5, 1},
                           {802.51, 1}});
    removePeaksNearPrecursor(list, makeParentKestranePeak(800.0, 2, 0.5));
    EXPECT_EQ(mzOf(list), (std::vector<double>{500.0, 780.45, 783.55, 789.99, 802.51}));
}

TEST_F(PeakFilterTest, TriplyChargedPrecursorWindowIsSixWide) {
    // 20 / 3 = 6 in whole numbers; two waters at 800 - 12.007.
    PeakList list = peaks({{787.99, 1}, {793.99, 1}, {794.0, 1}, {802.0, 1}});
    removePeaksNearPrecursor(list, makeParentKestranePeak(800.0, 3, 0.5));
    EXPECT_EQ(mzOf(list), (std::vector<double>{793.99}));
}

TEST_F(PeakFilterTest, NoiseFilterKeepsPeaksStrictlyAboveTheThreshold) {
    setNoiseLevel(10.0, 5.0, 25.0);
    PeakList list = peaks({{100.0, 15.0}, {200.0, 15.01}, {300.0, 25.0}});
    EXPECT_EQ(removePeaksBelowNoise(list, 1), 2u);
    EXPECT_EQ(removePeaksBelowNoise(list, 3), 0u);
    setNoiseLevel(0.0, 0.0, 0.0);
    PeakList zero = peaks({{100.0, 0.0}, {200.0, 0.5}});
    EXPECT_EQ(removePeaksBelowNoise(zero, 5), 1u);
}

TEST_F(PeakFilterTest, PeakLimitKeepsTheMostIntenseInMzOrder) {
    PeakList unsorted = peaks({{300.0, 1.0}, {100.0, 2.0}});
    keepMostIntensePeaks(unsorted, 2);
    EXPECT_EQ(unsorted[0].mOverZ, 300.0);  // at or under the limit nothing moves

    PeakList ties = peaks({{300.0, 5.0}, {100.0, 5.0}, {250.0, 1.0}, {200.0, 5.0}});
    EXPECT_EQ(keepMostIntensePeaks(ties, 2), 2u);
    EXPECT_EQ(mzOf(ties), (std::vector<double>{100.0, 200.0}));  // equal heights: lower m/z first
    EXPECT_EQ(keepMostIntensePeaks(ties, 0), 0u);
}

TEST_F(PeakFilterTest, PeakAtTheMinimumFragmentMassIsRemoved) {
    PeakList list = peaks({{105.01, 1.0}, {105.0, 1.0}, {104.9, 1.0}});
    EXPECT_EQ(removePeaksBelowMinFragmentMass(list), 1u);
    EXPECT_EQ(list[0].mOverZ, 105.01);
}

TEST_F(PickPeaksTest, BypassingTheNoiseLeavesTheStatisticsAtZero) {
    set_PeakPickParams(0.0, 5, 1000, 1, 1);
    setNoiseLevel(3.0, 4.0, 16.0);
    const PeakList picked = pickPeaks(peaks({{200.0, 1.0}, {201.0, 50.0}, {400.0, 0.0}}),
                                      makeParentKestranePeak(900.0, 2, 0.5));
    EXPECT_EQ(picked.size(), 3u);
    EXPECT_EQ(noiseStatistics().noiseMean, 0.0);
    EXPECT_EQ(noiseStatistics().noiseStandardDeviation, 0.0);
}

TEST_F(PickPeaksTest, PeakLimitKeepsTheThousandMostIntenseOfFifteenHundred) {
    set_PeakPickParams(0.0, 5, 1000, 1, 1);
    PeakList list;
    for (int i = 0; i < 1500; ++i) list.push_back(fragment(200.0 + 0.5 * i, (i * 7919) % 1500 + 1));
    const PeakList picked = pickPeaks(list, makeParentKestranePeak(5000.0, 2, 0.5));
    ASSERT_EQ(picked.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(picked.begin(), picked.end(),
                               [](const KestranePeak& a, const KestranePeak& b) { return a.mOverZ < b.mOverZ; }));
    const auto weakest = std::min_element(picked.begin(), picked.end(), [](const auto& a, const auto& b) {
        return a.intensity < b.intensity;
    });
    EXPECT_EQ(weakest->intensity, 501.0);
}

TEST_F(PickPeaksTest, CentroidingRunsOnlyWhileChargesAreUncertain) {
    set_PeakPickParams(0.5, 5, 1000, 1, 1);
    const PeakList list = peaks({{400.0, 1000.0}, {400.2, 600.0}});
    const KestranePeak parent = makeParentKestranePeak(900.0, 2, 0.5);
    EXPECT_EQ(pickPeaks(list, parent).size(), 1u);
    overrideInstrumentChargesCertainForTests(1);
    EXPECT_EQ(pickPeaks(list, parent).size(), 2u);
}

// Charges certain, signal-to-noise ratio 5: the filter before de-isotoping
// uses 5 / 3 = 1 standard deviation, the one after it 5.
//
// Strong peaks of 10000 at 150, 200, 250 (below 300, so de-isotoping keeps
// them), a monoisotopic peak 600.0 of 2000 with its isotope 601.0 of X, and
// 16 noise peaks of 100, 110, ..., 250 at 111 to 186. R = 10000: band
// (10, 303.03), 21 peaks above 10, need more than trunc(21 * 0.65) + 2 = 15
// in the band: the 16 noise peaks and X.
PeakList isotopeOverNoise(double isotopeIntensity) {
    PeakList list = peaks({{150.0, 10000.0}, {200.0, 10000.0}, {250.0, 10000.0}});
    for (int k = 0; k < 16; ++k) list.push_back(fragment(111.0 + 5.0 * k, 100.0 + 10.0 * k));
    list.push_back(fragment(600.0, 2000.0));
    list.push_back(fragment(601.0, isotopeIntensity));
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.mOverZ < b.mOverZ; });
    return list;
}

TEST_F(PickPeaksTest, ChargesCertainFiltersAtOneThenFiveStandardDeviations) {
    overrideInstrumentChargesCertainForTests(1);
    const KestranePeak parent = makeParentKestranePeak(800.0, 2, 0.5);

    // X = 290: sum 3090, sum of squares 608100 over 17 values; mean 181.76,
    // variance (608100 * 17 - 3090^2) / 17^2 = 2732.18, sd 52.27. X is above
    // mean + 1 sd (234.04), survives, and merges into 600.0 (200 < 290):
    // 2290. After de-isotoping mean + 5 sd = 443.1 removes all noise.
    const PeakList merged = pickPeaks(isotopeOverNoise(290.0), parent);
    EXPECT_DOUBLE_EQ(noiseStatistics().noiseMean, 3090.0 / 17.0);
    EXPECT_NEAR(noiseStatistics().noiseVariance, 789600.0 / 289.0, 1e-9);
    EXPECT_EQ(mzOf(merged), (std::vector<double>{150.0, 200.0, 250.0, 600.0}));
    EXPECT_EQ(merged[3].intensity, 2290.0);
    EXPECT_EQ(merged[3].charge, 1);

    // X = 215: mean 177.35, sd 45.70; X is below mean + 1 sd (223.05) and
    // goes before de-isotoping, so 600.0 has no isotope and is dropped (it
    // would have taken X, 200 < 215, had the first filter not run).
    const PeakList isolated = pickPeaks(isotopeOverNoise(215.0), parent);
    EXPECT_EQ(mzOf(isolated), (std::vector<double>{150.0, 200.0, 250.0}));
}

TEST_F(PickPeaksTest, EmptyListPassesThrough) {
    EXPECT_TRUE(pickPeaks(PeakList{}, makeParentKestranePeak(800.0, 1, 0.5)).empty());
}

}  // namespace
