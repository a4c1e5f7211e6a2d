#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/peaks/centroiding.h"
#include "core/peaks/fragment_charge.h"
#include "core/peaks/isotope_merging.h"
#include "core/peaks/noise_estimate.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_list_merging.h"
#include "core/peaks/peak_orderings.h"
#include "core/util/format_text.h"
#include "peak_test_support.h"

namespace {

using NoiseTest = PeakTest;
using IsotopeTest = PeakTest;

// Three strong peaks (the third sets the reference R = 8000) and a row of
// small ones first + step * i, 7 Th apart from 120 on.
PeakList spectrumWithNoise(double first, double step, int count) {
    PeakList list = peaks({{900.0, 10000.0}, {950.0, 9000.0}, {990.0, 8000.0}});
    for (int i = 0; i < count; ++i) list.push_back(fragment(120.0 + 7.0 * i, first + step * i));
    return list;
}

TEST_F(NoiseTest, ReferenceBelowOneGivesAllZeros) {
    struct Case {
        const char* what;
        PeakList list;
        int mode;
    };
    const std::vector<Case> cases = {
        {"flat hundreds, largest peak", peaks({{100.0, 100.0}, {200.0, 100.0}, {300.0, 100.0}}), 1},
        {"two peaks, third largest", peaks({{100.0, 5000.0}, {200.0, 3000.0}}), 2},
        {"largest peak just under 1", peaks({{100.0, 0.999}, {200.0, 0.5}, {300.0, 0.2}}), 0},
        {"third largest just under 1", peaks({{100.0, 5000.0}, {200.0, 3000.0}, {300.0, 0.999}}), 2},
    };
    for (Case c : cases) {
        const NoiseStatistics noise = determineMeanNoise(c.list, c.mode);
        EXPECT_EQ(noise.noiseMean, 0.0) << c.what;
        EXPECT_EQ(noise.noiseStandardDeviation, 0.0) << c.what;
        EXPECT_EQ(noise.noiseVariance, 0.0) << c.what;
    }
}

TEST_F(NoiseTest, FirstBandHoldingEnoughPeaksSetsTheNoise) {
    struct Case {
        const char* what;
        PeakList list;
        int mode;
        double mean;
        double variance;
    };
    const std::vector<Case> cases = {
        // R = 8000: band (8, 242.42). 12 + 3 peaks above 8 (8.0 itself is
        // not); need more than trunc(15 * 0.65) + 2 = 11: 12 in the band.
        // Variance 10^2 (12^2 - 1) / 12.
        {"first band", spectrumWithNoise(100.0, 10.0, 12), 2, 155.0, 100.0 * 143.0 / 12.0},
        // Only 8 of 100..320 lie below 242.42; after one doubling all 12.
        {"one doubling", spectrumWithNoise(100.0, 20.0, 12), 2, 210.0, 400.0 * 143.0 / 12.0},
        // 17 + 3 peaks above 8 need more than trunc(20 * 0.65) + 2 = 15: the
        // first band holds 15 (100..240), one doubling all 17.
        {"a band of exactly 65 %", spectrumWithNoise(100.0, 10.0, 17), 2, 180.0, 100.0 * 288.0 / 12.0},
        // Mode 0 measures against the largest peak, R = 10000: band (10,
        // 303.03), more than trunc(15 * 0.65) + 2 = 11 needed, 12 there.
        {"mode 0", spectrumWithNoise(100.0, 10.0, 12), 0, 155.0, 100.0 * 143.0 / 12.0},
        // Mode 1 needs more than trunc(15 * 0.9) + 2 = 15, which even all 15
        // are not: the band doubles past 3R and the fixed values are taken.
        {"mode 1 falls back", spectrumWithNoise(100.0, 10.0, 12), 1, 6947.0, 0.0},
        {"no band up to 3R", peaks({{100.0, 1000.0}, {200.0, 1000.0}, {300.0, 1000.0}}), 2, 6947.0, 0.0},
    };
    for (Case c : cases) {
        c.list.push_back(fragment(119.0, 8.0));
        const NoiseStatistics noise = determineMeanNoise(c.list, c.mode);
        EXPECT_DOUBLE_EQ(noise.noiseMean, c.mean) << c.what;
        EXPECT_DOUBLE_EQ(noise.noiseVariance, c.variance) << c.what;
        EXPECT_DOUBLE_EQ(noise.noiseStandardDeviation, c.mean == 6947.0 ? 4769.0 : std::sqrt(c.variance)) << c.what;
        if (c.mode == 2) {  // left in ascending m/z
            EXPECT_TRUE(std::is_sorted(c.list.begin(), c.list.end(), precedesByMOverZAscending)) << c.what;
        }
    }
}

TEST_F(IsotopeTest, LookingLeftMergesWithinItsInclusiveWindowIntoPeaksMoreThanHalfAsHigh) {
    const PeakList merged = mergeIsotopesByLookingLeft(peaks({{500.0, 600.0}, {501.0, 1000.0}}));
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].mOverZ, 500.0);
    EXPECT_EQ(merged[0].intensity, 1600.0);
    EXPECT_EQ(mergeIsotopesByLookingLeft(peaks({{500.0, 500.0}, {501.0, 1000.0}})).size(), 2u);
    const PeakList ladder = mergeIsotopesByLookingLeft(peaks({{500.0, 1000.0}, {501.0, 800.0}, {502.0, 600.0}}));
    ASSERT_EQ(ladder.size(), 1u);
    EXPECT_EQ(ladder[0].intensity, 2400.0);
    EXPECT_EQ(mergeIsotopesByLookingLeft(peaks({{500.0, 1000.0}, {501.5, 1000.0}})).size(), 1u);
    EXPECT_EQ(mergeIsotopesByLookingLeft(peaks({{500.0, 1000.0}, {501.6, 1000.0}})).size(), 2u);
    EXPECT_TRUE(mergeIsotopesByLookingLeft(PeakList{}).empty());
}

TEST_F(IsotopeTest, SpacingBoundsAreStrict) {
    struct Case {
        double lower, higher;
        std::int32_t maxCharge, charge;
    };
    // The upper bound of charge 1 is one unit in the last place above 1.14:
    // the double 1.14 itself is inside, the next one is not.
    const std::vector<Case> cases = {
        {0.0, 0.86, 3, 0},   {0.0, std::nextafter(0.86, 1.0), 3, 1}, {0.0, 1.14, 3, 1},
        {0.0, std::nextafter(1.14, 2.0), 3, 0},  {0.0, 0.57, 3, 2},  {0.0, std::nextafter(0.57, 1.0), 3, 0},
        {0.0, 0.43, 3, 0},   {600.0, 600.5, 2, 2},  {600.0, 600.5, 1, 0},  {600.0, 600.33, 3, 3},
        {600.0, 600.33, 2, 0}, {0.0, 0.38, 3, 0},   {0.0, 0.28, 3, 0},     {601.0, 600.0, 3, 0},
        {0.0, 1.0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chargeFromIsotopeSpacing(c.lower, c.higher, c.maxCharge), c.charge)
            << c.lower << " " << c.higher << " max " << c.maxCharge;
    }
}

TEST_F(IsotopeTest, FragmentsAbovePrecursorDecideSingleCharge) {
    const KestranePeak parent = makeParentKestranePeak(500.0, 2, 0.5, chemistry().groups);
    EXPECT_EQ(chargeFromFragmentsAbovePrecursor(peaks({{100, 1}, {503.0, 1}, {600, 1}, {700, 1}}), parent), 1);
    EXPECT_EQ(chargeFromFragmentsAbovePrecursor(peaks({{100, 1}, {503.01, 1}, {600, 1}, {700, 1}}), parent), 2);
    EXPECT_EQ(chargeFromFragmentsAbovePrecursor(peaks({{100, 1}, {200, 1}}), parent), 2);
}

// What the merge that assigns fragment charges leaves: "m/z:intensity:charge" per peak.
TEST_F(IsotopeTest, ChargeAssigningMergeByParentAndCertainty) {
    struct Case {
        const char* what;
        PeakList list;
        double parentMz;
        std::int32_t parentCharge, chargesCertain;
        std::string left;
    };
    const PeakList pair = peaks({{600.0, 1000.0}, {600.5, 800.0}});
    const PeakList lone = peaks({{299.9, 10.0}, {500.0, 1000.0}});
    const std::vector<Case> cases = {
        {"charge 2 spacing", pair, 1000.0, 2, 1, "600:1800:2 "},
        // A singly charged parent allows no charge 2 spacing: both peaks stay isolated and are dropped.
        {"no charge 2 below a singly charged parent", pair, 1000.0, 1, 1, ""},
        {"isolated peaks go while chargesCertain is at most 1", lone, 1000.0, 2, 1, "299.9:10:1 "},
        {"and stay above", lone, 1000.0, 2, 2, "299.9:10:1 500:1000:1 "},
        // From the top: 801.0 skips 800.5 and 800.33 (not above half its
        // height) and merges into 800.0 at charge 1; 800.5 merges at charge
        // 2; 800.33 (charge 3) finds 800.0 full and, having received
        // nothing, is dropped.
        {"below 1000 at most two isotopes", peaks({{800.0, 1000.0}, {800.33, 300.0}, {800.5, 400.0}, {801.0, 1000.0}}),
         1500.0, 3, 1, "800:2400:2 "},
        {"above 1000 a third", peaks({{1200.0, 1000.0}, {1200.33, 300.0}, {1200.5, 400.0}, {1201.0, 1000.0}}), 1500.0, 3,
         1, "1200:2700:3 "},
        {"peaks below 300 are never partners", peaks({{299.5, 800.0}, {300.5, 1000.0}}), 1000.0, 2, 1, "299.5:800:1 "},
        // Parent MH+ 500: limit 501.5. 501.4 may take its isotope, 501.6 may not.
        {"partner within the parent", peaks({{501.4, 1000.0}, {502.4, 800.0}}), 500.0, 1, 2, "501.4:1800:1 "},
        {"partner heavier than the parent", peaks({{501.6, 1000.0}, {502.6, 800.0}}), 500.0, 1, 2,
         "501.6:1000:1 502.6:800:1 "},
    };
    for (const Case& c : cases) {
        std::string left;
        for (const KestranePeak& peak :
             mergeIsotopesWhileAssigningCharge(c.list, makeParentKestranePeak(c.parentMz, c.parentCharge, 0.5, chemistry().groups), c.chargesCertain, chemistry().groups)) {
            left += formatText("%.10g:%.10g:%d ", peak.mOverZ, peak.intensity, peak.charge);
        }
        EXPECT_EQ(left, c.left) << c.what;
    }
}

// Merged spectra bin their union in a 0.25 window, the bound inclusive.
TEST_F(IsotopeTest, MergedListsAreBinnedAtAQuarter) {
    const PeakList merged = mergeKestranePeaks(peaks({{100.0, 10.0}, {200.0, 5.0}}), peaks({{100.25, 30.0}, {200.26, 1.0}}));
    EXPECT_EQ(mzOf(merged), (std::vector<double>{100.25, 200.0, 200.26}));
    EXPECT_EQ(merged[0].intensity, 40.0);

    // Lists out of m/z order, or with peaks alike in m/z and intensity but
    // not in charge, give the union that sorting both together gives.
    PeakList charged = peaks({{300.0, 7.0}, {150.0, 2.0}});
    charged[0].charge = 3;
    for (const auto& [a, b] : std::vector<std::pair<PeakList, PeakList>>{
             {peaks({{300.0, 7.0}, {100.0, 1.0}}), peaks({{200.0, 3.0}})},
             {charged, peaks({{150.0, 2.0}, {300.0, 7.0}, {310.0, 1.0}})}}) {
        PeakList both = a;
        both.insert(both.end(), b.begin(), b.end());
        for (KestranePeak& peak : both) peak.mPlusH = peak.mOverZ;
        sortByMOverZAscending(both);
        std::string got;
        std::string expected;
        for (const KestranePeak& peak : mergeKestranePeaksByCentroiding(a, b, 0.00001, 50.0)) {
            got += formatText("%g:%g:%d ", peak.mOverZ, peak.intensity, peak.charge);
        }
        for (const KestranePeak& peak : centroidByPeakWidthAndHeightPercentage(both, 0.00001, 50.0)) {
            expected += formatText("%g:%g:%d ", peak.mOverZ, peak.intensity, peak.charge);
        }
        EXPECT_EQ(got, expected);
    }
}

}  // namespace
