#include <cmath>
#include <vector>

#include "core/peaks/fragment_charge.h"
#include "core/peaks/intensity_statistics.h"
#include "core/peaks/isotope_merging.h"
#include "core/peaks/noise_estimate.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_list_merging.h"
#include "peak_test_support.h"

namespace {

using NoiseTest = PeakTest;
using IsotopeTest = PeakTest;

// Three strong peaks (the third sets the reference R = 8000) and a row of
// small ones at the given intensities.
PeakList spectrumWithNoise(const std::vector<double>& noise) {
    PeakList list = peaks({{900.0, 10000.0}, {950.0, 9000.0}, {990.0, 8000.0}});
    double mz = 120.0;
    for (const double intensity : noise) {
        list.push_back(fragment(mz, intensity));
        mz += 7.0;
    }
    return list;
}

std::vector<double> arithmeticRow(double first, double step, int count) {
    std::vector<double> row;
    for (int i = 0; i < count; ++i) row.push_back(first + step * i);
    return row;
}

TEST_F(NoiseTest, MaximumIgnoresListsOfFlatHundreds) {
    EXPECT_EQ(maxPeakIntensity(peaks({{100.0, 100.0}, {200.0, 100.0}})), 0.0);
    EXPECT_EQ(noiseStatistics().maxIntensity, 0.0);
    EXPECT_EQ(maxPeakIntensity(PeakList{}), 0.0);
    EXPECT_EQ(maxPeakIntensity(peaks({{100.0, 100.0}, {200.0, 40.0}})), 100.0);
    EXPECT_EQ(noiseStatistics().maxIntensity, 100.0);
    EXPECT_EQ(totalPeakIntensity(peaks({{100.0, 100.0}, {200.0, 40.5}})), 140.5);
    EXPECT_EQ(noiseStatistics().totalIntensity, 140.5);
    // Flat hundreds carry no reference, so the mode 1 estimate gives up.
    PeakList flat = peaks({{100.0, 100.0}, {200.0, 100.0}, {300.0, 100.0}});
    EXPECT_EQ(determineMeanNoise(flat, 1), 0.0);
}

TEST_F(NoiseTest, NthLargestCountsFromZeroAndLeavesShortListsUntouched) {
    PeakList two = peaks({{300.0, 5.0}, {100.0, 9.0}});
    EXPECT_EQ(nthLargestIntensity(two, 2), 0.0);
    EXPECT_EQ(two[0].mOverZ, 300.0);
    PeakList three = peaks({{300.0, 5.0}, {100.0, 9.0}, {200.0, 7.0}});
    EXPECT_EQ(nthLargestIntensity(three, 2), 5.0);
    EXPECT_EQ(noiseStatistics().maxIntensity, 9.0);
    EXPECT_EQ(three[0].mOverZ, 100.0);
    EXPECT_EQ(three[2].mOverZ, 300.0);
}

TEST_F(NoiseTest, MeanAndStandardDeviationArePopulationStatistics) {
    double mean = 1.0, sd = 1.0, variance = 1.0;
    const std::vector<double> one{5.0};
    meanAndStandardDeviation(one, mean, sd, variance);
    EXPECT_EQ(mean, 0.0);
    EXPECT_EQ(sd, 0.0);
    const std::vector<double> values{2, 4, 4, 4, 5, 5, 7, 9};
    meanAndStandardDeviation(values, mean, sd, variance);
    EXPECT_EQ(mean, 5.0);
    EXPECT_EQ(variance, 4.0);
    EXPECT_EQ(sd, 2.0);
}

TEST_F(NoiseTest, TwoPeaksGiveNoReferenceAndKeepTheStatistics) {
    setNoiseLevel(7.0, 8.0, 9.0);
    PeakList two = peaks({{100.0, 5000.0}, {200.0, 3000.0}});
    EXPECT_EQ(determineMeanNoise(two, 2), 0.0);
    EXPECT_EQ(noiseStatistics().noiseMean, 7.0);
    EXPECT_EQ(noiseStatistics().noiseStandardDeviation, 8.0);
}

TEST_F(NoiseTest, FirstBandHoldingEnoughPeaksSetsTheNoise) {
    // R = 8000: band (8, 242.42). 12 + 3 peaks above 8; need trunc(15 * 0.65)
    // + 2 = 11 < 12 in the band. Noise 100..210: mean 155, variance
    // 10^2 (12^2 - 1) / 12.
    PeakList list = spectrumWithNoise(arithmeticRow(100.0, 10.0, 12));
    list.push_back(fragment(119.0, 8.0));  // not above 0.1% of R: not counted
    EXPECT_DOUBLE_EQ(determineMeanNoise(list, 2), 155.0);
    EXPECT_DOUBLE_EQ(noiseStatistics().noiseVariance, 100.0 * 143.0 / 12.0);
    EXPECT_DOUBLE_EQ(noiseStatistics().noiseStandardDeviation, std::sqrt(100.0 * 143.0 / 12.0));
    EXPECT_EQ(list.front().mOverZ, 119.0);  // left in ascending m/z
}

TEST_F(NoiseTest, BandDoublesUntilItHoldsEnoughPeaks) {
    // Noise 100..320: only 8 lie below 242.42; after one doubling (484.85)
    // all 12 do. Mean 210, variance 20^2 (12^2 - 1) / 12.
    PeakList list = spectrumWithNoise(arithmeticRow(100.0, 20.0, 12));
    EXPECT_DOUBLE_EQ(determineMeanNoise(list, 2), 210.0);
    EXPECT_DOUBLE_EQ(noiseStatistics().noiseVariance, 400.0 * 143.0 / 12.0);
}

TEST_F(NoiseTest, NoBandUpToThreeTimesTheReferenceFallsBackToFixedValues) {
    PeakList list = peaks({{100.0, 1000.0}, {200.0, 1000.0}, {300.0, 1000.0}});
    EXPECT_EQ(determineMeanNoise(list, 2), 6947.0);
    EXPECT_EQ(noiseStatistics().noiseStandardDeviation, 4769.0);
    EXPECT_EQ(noiseStatistics().noiseVariance, 0.0);
}

TEST_F(NoiseTest, ModeOneWantsNinetyPercentOfThePeaksInTheBand) {
    // Other modes measure against the largest peak, R = 10000: band (10,
    // 303.03), 15 peaks above 10. Mode 1 needs more than trunc(15 * 0.9) + 2
    // = 15 in the band, which even all 15 are not: the band doubles past 3R.
    // Mode 0 needs more than trunc(15 * 0.65) + 2 = 11 and has 12.
    PeakList list = spectrumWithNoise(arithmeticRow(100.0, 10.0, 12));
    EXPECT_EQ(determineMeanNoise(list, 1), 6947.0);
    PeakList again = spectrumWithNoise(arithmeticRow(100.0, 10.0, 12));
    EXPECT_DOUBLE_EQ(determineMeanNoise(again, 0), 155.0);
}

TEST_F(IsotopeTest, LookingLeftMergesIntoAPeakMoreThanHalfAsHigh) {
    const PeakList merged = mergeIsotopesByLookingLeft(peaks({{500.0, 600.0}, {501.0, 1000.0}}));
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].mOverZ, 500.0);
    EXPECT_EQ(merged[0].intensity, 1600.0);
    EXPECT_EQ(mergeIsotopesByLookingLeft(peaks({{500.0, 500.0}, {501.0, 1000.0}})).size(), 2u);
}

TEST_F(IsotopeTest, LookingLeftCollapsesLaddersWithinItsInclusiveWindow) {
    const PeakList ladder = mergeIsotopesByLookingLeft(peaks({{500.0, 1000.0}, {501.0, 800.0}, {502.0, 600.0}}));
    ASSERT_EQ(ladder.size(), 1u);
    EXPECT_EQ(ladder[0].intensity, 2400.0);
    EXPECT_EQ(mergeIsotopesByLookingLeft(peaks({{500.0, 1000.0}, {501.5, 1000.0}})).size(), 1u);
    EXPECT_EQ(mergeIsotopesByLookingLeft(peaks({{500.0, 1000.0}, {501.6, 1000.0}})).size(), 2u);
    EXPECT_TRUE(mergeIsotopesByLookingLeft(PeakList{}).empty());
}

TEST_F(IsotopeTest, SpacingBoundsAreStrict) {
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, 0.86, 3), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, std::nextafter(0.86, 1.0), 3), 1);
    // The upper bound is one unit in the last place above 1.14: the double
    // 1.14 itself is inside, the next one is not.
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, 1.14, 3), 1);
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, std::nextafter(1.14, 2.0), 3), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, 0.57, 3), 2);
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, std::nextafter(0.57, 1.0), 3), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, 0.43, 3), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(600.0, 600.5, 2), 2);
    EXPECT_EQ(chargeFromIsotopeSpacing(600.0, 600.5, 1), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(600.0, 600.33, 3), 3);
    EXPECT_EQ(chargeFromIsotopeSpacing(600.0, 600.33, 2), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, 0.38, 3), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, 0.28, 3), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(601.0, 600.0, 3), 0);
    EXPECT_EQ(chargeFromIsotopeSpacing(0.0, 1.0, 0), 0);
}

TEST_F(IsotopeTest, FragmentsAbovePrecursorDecideSingleCharge) {
    const KestranePeak parent = makeParentKestranePeak(500.0, 2, 0.5);
    EXPECT_EQ(chargeFromFragmentsAbovePrecursor(peaks({{100, 1}, {503.0, 1}, {600, 1}, {700, 1}}), parent), 1);
    EXPECT_EQ(chargeFromFragmentsAbovePrecursor(peaks({{100, 1}, {503.01, 1}, {600, 1}, {700, 1}}), parent), 2);
    EXPECT_EQ(chargeFromFragmentsAbovePrecursor(peaks({{100, 1}, {200, 1}}), parent), 2);
}

TEST_F(IsotopeTest, ChargeAssigningMergeSetsTheSpacingCharge) {
    overrideInstrumentChargesCertainForTests(1);
    const PeakList pair = peaks({{600.0, 1000.0}, {600.5, 800.0}});
    const PeakList doubly = mergeIsotopesWhileAssigningCharge(pair, makeParentKestranePeak(1000.0, 2, 0.5));
    ASSERT_EQ(doubly.size(), 1u);
    EXPECT_EQ(doubly[0].mOverZ, 600.0);
    EXPECT_EQ(doubly[0].charge, 2);
    EXPECT_EQ(doubly[0].intensity, 1800.0);
    // A singly charged parent allows no charge 2 spacing: both peaks stay
    // isolated and are dropped.
    EXPECT_TRUE(mergeIsotopesWhileAssigningCharge(pair, makeParentKestranePeak(1000.0, 1, 0.5)).empty());
}

TEST_F(IsotopeTest, IsolatedPeaksGoOnlyWhileChargesCertainIsAtMostOne) {
    const KestranePeak parent = makeParentKestranePeak(1000.0, 2, 0.5);
    const PeakList list = peaks({{299.9, 10.0}, {500.0, 1000.0}});
    overrideInstrumentChargesCertainForTests(1);
    const PeakList strict = mergeIsotopesWhileAssigningCharge(list, parent);
    ASSERT_EQ(strict.size(), 1u);
    EXPECT_EQ(strict[0].mOverZ, 299.9);
    overrideInstrumentChargesCertainForTests(2);
    EXPECT_EQ(mergeIsotopesWhileAssigningCharge(list, parent).size(), 2u);
}

TEST_F(IsotopeTest, MonoisotopicPeaksBelowThousandTakeAtMostTwoIsotopes) {
    overrideInstrumentChargesCertainForTests(1);
    const KestranePeak parent = makeParentKestranePeak(1500.0, 3, 0.5);
    // From the top: 801.0 skips 800.5 and 800.33 (not above half its height)
    // and merges into 800.0 at charge 1; 800.5 merges at charge 2; 800.33
    // (charge 3) finds 800.0 full and, having received nothing, is dropped.
    const PeakList capped = mergeIsotopesWhileAssigningCharge(
        peaks({{800.0, 1000.0}, {800.33, 300.0}, {800.5, 400.0}, {801.0, 1000.0}}), parent);
    ASSERT_EQ(capped.size(), 1u);
    EXPECT_EQ(capped[0].mOverZ, 800.0);
    EXPECT_EQ(capped[0].intensity, 2400.0);
    EXPECT_EQ(capped[0].charge, 2);
    // Above 1000 a third isotope is still accepted.
    const PeakList open = mergeIsotopesWhileAssigningCharge(
        peaks({{1200.0, 1000.0}, {1200.33, 300.0}, {1200.5, 400.0}, {1201.0, 1000.0}}), parent);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].intensity, 2700.0);
    EXPECT_EQ(open[0].charge, 3);
}

TEST_F(IsotopeTest, PeaksBelowThreeHundredAreNeverPartners) {
    overrideInstrumentChargesCertainForTests(1);
    const PeakList out = mergeIsotopesWhileAssigningCharge(peaks({{299.5, 800.0}, {300.5, 1000.0}}),
                                                           makeParentKestranePeak(1000.0, 2, 0.5));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].mOverZ, 299.5);
    EXPECT_EQ(out[0].intensity, 800.0);
}

TEST_F(IsotopeTest, PartnersHeavierThanTheParentAreRefused) {
    overrideInstrumentChargesCertainForTests(2);
    // Parent MH+ 500: limit 501.5. 501.4 may take its isotope, 501.6 may not.
    const KestranePeak parent = makeParentKestranePeak(500.0, 1, 0.5);
    EXPECT_EQ(mergeIsotopesWhileAssigningCharge(peaks({{501.4, 1000.0}, {502.4, 800.0}}), parent).size(), 1u);
    EXPECT_EQ(mergeIsotopesWhileAssigningCharge(peaks({{501.6, 1000.0}, {502.6, 800.0}}), parent).size(), 2u);
}

TEST_F(IsotopeTest, MergingListsBinsTheirUnion) {
    PeakList a = peaks({{100.0, 10.0}, {200.0, 5.0}});
    a[1].mPlusH = 399.0;
    const PeakList b = peaks({{100.2, 30.0}, {300.0, 1.0}});
    const PeakList merged = mergeKestranePeaks(a, b);
    ASSERT_EQ(merged.size(), 3u);
    EXPECT_EQ(merged[0].mOverZ, 100.2);
    EXPECT_EQ(merged[0].intensity, 40.0);
    EXPECT_EQ(merged[1].mPlusH, 200.0);
    EXPECT_EQ(a.size(), 2u);
    EXPECT_TRUE(mergeKestranePeaks(PeakList{}, PeakList{}).empty());

    const PeakList centroided =
        mergeKestranePeaksByCentroiding(peaks({{100.0, 1000.0}}), peaks({{100.2, 600.0}}), 0.5, 50.0);
    ASSERT_EQ(centroided.size(), 1u);
    EXPECT_DOUBLE_EQ(centroided[0].mOverZ, (100.0 * 1000.0 + 100.2 * 600.0) / 1600.0);
}

}  // namespace
