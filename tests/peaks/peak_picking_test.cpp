#include <algorithm>
#include <random>
#include <set>

#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_filters.h"
#include "core/peaks/peak_picking.h"
#include "peak_test_support.h"

namespace {

using PeakFilterTest = PeakTest;
using PickPeaksTest = PeakTest;

TEST_F(PeakFilterTest, PrecursorWindowsByCharge) {
    struct Case {
        std::int32_t charge;
        std::vector<double> in;
        std::vector<double> kept;
    };
    const std::vector<Case> cases = {
        // Charge 1: everything from 800 - m(C O2) - 1 = 755.0101 on goes.
        {1, {500.0, 755.01, 755.02, 900.0}, {500.0, 755.01}},
        // Charge 2: window 790 to 802.5 inclusive; two waters at
        // 800 - 18.0106, +- 1.5 inclusive.
        {2,
         {500.0, 780.45, 780.5, 781.99, 783.55, 789.99, 790.0, 802.5, 802.51},
         {500.0, 780.45, 783.55, 789.99, 802.51}},
        // Charge 3: 20 / 3 = 6 in whole numbers; two waters at 800 - 12.007.
        {3, {787.99, 793.99, 794.0, 802.0}, {793.99}},
    };
    for (const Case& c : cases) {
        PeakList list;
        for (const double mz : c.in) list.push_back(fragment(mz, 1.0));
        EXPECT_EQ(removePeaksNearPrecursor(list, makeParentKestranePeak(800.0, c.charge, 0.5, chemistry().groups), chemistry().groups), c.kept.size());
        EXPECT_EQ(mzOf(list), c.kept) << "charge " << c.charge;
    }
}

TEST_F(PeakFilterTest, NoiseFilterKeepsPeaksStrictlyAboveTheThresholdItIsGiven) {
    PeakList list = peaks({{100.0, 15.0}, {200.0, 15.01}, {300.0, 25.0}});
    EXPECT_EQ(removePeaksBelowNoise(list, 1, {10.0, 5.0, 25.0}), 2u);
    EXPECT_EQ(removePeaksBelowNoise(list, 3, {10.0, 5.0, 25.0}), 0u);
    PeakList zero = peaks({{100.0, 0.0}, {200.0, 0.5}});
    EXPECT_EQ(removePeaksBelowNoise(zero, 5, {}), 1u);
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
    EXPECT_EQ(removePeaksBelowMinFragmentMass(list, 105.0), 1u);
    EXPECT_EQ(list[0].mOverZ, 105.01);
}

TEST_F(PickPeaksTest, SettingsDecideTheFloorAndTheCentroiding) {
    const KestranePeak parent = makeParentKestranePeak(900.0, 2, 0.5, chemistry().groups);
    const PeakList low = peaks({{60.0, 10.0}, {80.0, 10.0}, {200.0, 10.0}});
    const PeakPickParams noFilters{0.0, 5, 1000, 1, 1};
    EXPECT_EQ(mzOf(pickPeaks(low, parent, pickSettings(noFilters)).peaks), std::vector<double>{200.0});
    EXPECT_EQ(mzOf(pickPeaks(low, parent, pickSettings(noFilters, 0, 60.0)).peaks),
              (std::vector<double>{80.0, 200.0}));

    const PeakList close = peaks({{400.0, 1000.0}, {400.2, 600.0}});
    const PeakPickParams centroiding{0.5, 5, 1000, 1, 1};
    EXPECT_EQ(pickPeaks(close, parent, pickSettings(centroiding)).peaks.size(), 1u);
    EXPECT_EQ(pickPeaks(close, parent, pickSettings(centroiding, 1)).peaks.size(), 2u);  // charges certain
}

// A picked peak keeps the M+H of a peak it came from (a centroid its apex's),
// charges certain or not: the charge decision of survey scans relies on it.
TEST_F(PickPeaksTest, PickedPeaksCarryTheMassesOfPeaksGiven) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> mz(50.0, 1500.0);
    std::uniform_real_distribution<double> intensity(0.0, 10000.0);
    const KestranePeak parent = makeParentKestranePeak(800.0, 2, 0.5, chemistry().groups);
    for (int round = 0; round < 200; ++round) {
        PeakList list;
        for (int k = 0; k < 300; ++k) list.push_back(fragment(mz(random), intensity(random)));
        std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.mOverZ < b.mOverZ; });
        std::set<double> given;
        for (const KestranePeak& peak : list) given.insert(peak.mPlusH);
        for (const std::int32_t certain : {0, 1}) {
            for (const KestranePeak& peak : pickPeaks(list, parent, pickSettings({0.5, 2, 60, 0, 0}, certain)).peaks) {
                EXPECT_EQ(given.count(peak.mPlusH), 1u) << peak.mOverZ;
            }
        }
    }
}

// Three strong peaks and 16 noise peaks of 100, 110, ..., 250, plus whatever
// is given: R = 10000, band (10, 303.03).
PeakList overNoise(std::initializer_list<std::pair<double, double>> more) {
    PeakList list = peaks({{150.0, 10000.0}, {200.0, 10000.0}, {250.0, 10000.0}});
    for (int k = 0; k < 16; ++k) list.push_back(fragment(111.0 + 5.0 * k, 100.0 + 10.0 * k));
    for (const auto& [mz, intensity] : more) list.push_back(fragment(mz, intensity));
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.mOverZ < b.mOverZ; });
    return list;
}

TEST_F(PickPeaksTest, ReturnsTheNoiseOfTheListItPicked) {
    // 16 noise peaks: mean 175, variance 10^2 (16^2 - 1) / 12 = 2125; three
    // more above 10 give 19, need more than trunc(19 * 0.65) + 2 = 14.
    const KestranePeak parent = makeParentKestranePeak(800.0, 2, 0.5, chemistry().groups);
    const PickedPeaks first = pickPeaks(overNoise({}), parent, pickSettings());
    EXPECT_DOUBLE_EQ(first.noise.noiseMean, 175.0);
    EXPECT_DOUBLE_EQ(first.noise.noiseVariance, 2125.0);
    // A list with no reference, picked next, has no noise of its own: it
    // must not inherit the one measured before.
    const PickedPeaks second = pickPeaks(peaks({{300.0, 5000.0}, {400.0, 3000.0}}), parent, pickSettings());
    EXPECT_EQ(second.noise.noiseMean, 0.0);
    EXPECT_EQ(second.noise.noiseStandardDeviation, 0.0);
    EXPECT_EQ(second.peaks.size(), 2u);  // and nothing above zero noise is removed
}

TEST_F(PickPeaksTest, PeakLimitKeepsTheThousandMostIntenseOfFifteenHundred) {
    PeakList list;
    for (int i = 0; i < 1500; ++i) list.push_back(fragment(200.0 + 0.5 * i, (i * 7919) % 1500 + 1));
    const PeakList picked =
        pickPeaks(list, makeParentKestranePeak(5000.0, 2, 0.5, chemistry().groups), pickSettings({0.0, 5, 1000, 1, 1})).peaks;
    ASSERT_EQ(picked.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(picked.begin(), picked.end(),
                               [](const KestranePeak& a, const KestranePeak& b) { return a.mOverZ < b.mOverZ; }));
    const auto weakest = std::min_element(picked.begin(), picked.end(), [](const auto& a, const auto& b) {
        return a.intensity < b.intensity;
    });
    EXPECT_EQ(weakest->intensity, 501.0);
}

// Charges certain, signal-to-noise ratio 5: the filter before de-isotoping
// uses 5 / 3 = 1 standard deviation, the one after it 5.
//
// A monoisotopic peak 600.0 of 2000 with its isotope 601.0 of X over the
// noise: 21 peaks above 10, need more than trunc(21 * 0.65) + 2 = 15 in the
// band: the 16 noise peaks and X.
TEST_F(PickPeaksTest, ChargesCertainFiltersAtOneThenFiveStandardDeviations) {
    const KestranePeak parent = makeParentKestranePeak(800.0, 2, 0.5, chemistry().groups);

    // X = 290: sum 3090, sum of squares 608100 over 17 values; mean 181.76,
    // variance (608100 * 17 - 3090^2) / 17^2 = 2732.18, sd 52.27. X is above
    // mean + 1 sd (234.04), survives, and merges into 600.0 (200 < 290):
    // 2290. After de-isotoping mean + 5 sd = 443.1 removes all noise.
    const PickedPeaks merged = pickPeaks(overNoise({{600.0, 2000.0}, {601.0, 290.0}}), parent, pickSettings({0.0, 5, 1000, 0, 0}, 1));
    EXPECT_DOUBLE_EQ(merged.noise.noiseMean, 3090.0 / 17.0);
    EXPECT_NEAR(merged.noise.noiseVariance, 789600.0 / 289.0, 1e-9);
    EXPECT_EQ(mzOf(merged.peaks), (std::vector<double>{150.0, 200.0, 250.0, 600.0}));
    EXPECT_EQ(merged.peaks[3].intensity, 2290.0);
    EXPECT_EQ(merged.peaks[3].charge, 1);

    // X = 215: mean 177.35, sd 45.70; X is below mean + 1 sd (223.05) and
    // goes before de-isotoping, so 600.0 has no isotope and is dropped (it
    // would have taken X, 200 < 215, had the first filter not run).
    const PickedPeaks isolated = pickPeaks(overNoise({{600.0, 2000.0}, {601.0, 215.0}}), parent, pickSettings({0.0, 5, 1000, 0, 0}, 1));
    EXPECT_EQ(mzOf(isolated.peaks), (std::vector<double>{150.0, 200.0, 250.0}));
}

}  // namespace
