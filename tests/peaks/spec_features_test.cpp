#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/peaks/fragment_pairs.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_picking.h"
#include "core/peaks/spec_features.h"
#include "peak_test_support.h"

namespace {

using FragmentPairTest = PeakTest;
using SpecFeaturesTest = PeakTest;

TEST_F(FragmentPairTest, PairAtExactlyTheToleranceCounts) {
    const KestranePeak parent = makeParentKestranePeak(1000.0, 1, 0.5, chemistry().groups);
    const double pairSum = 1000.0 + kH;
    const double high = pairSum - 300.0 - 0.5;
    ASSERT_EQ(std::fabs(pairSum - high - 300.0), 0.5);
    PeakList onEdge = peaks({{300.0, 1.0}, {high, 1.0}});
    EXPECT_EQ(countBYpairs(onEdge, parent, chemistry().groups), 1);
    PeakList beyond = peaks({{300.0, 1.0}, {std::nextafter(high, 0.0), 1.0}});
    EXPECT_EQ(countBYpairs(beyond, parent, chemistry().groups), 0);
}

// The pair rule written out plainly: every low fragment scans the unused
// upper fragments from the top down.
int pairsByDirectScan(PeakList list, const KestranePeak& parent) {
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.mPlusH < b.mPlusH; });
    const double pairSum = parent.mPlusH + kH;
    const double middle = (parent.tolerance + parent.mPlusH) * 0.5;
    const int n = static_cast<int>(list.size());
    int upperStart = 0;
    while (upperStart < n && !(list[static_cast<std::size_t>(upperStart)].mPlusH > middle)) ++upperStart;
    int pairs = 0;
    int top = n - 1;
    for (int low = 0; low < upperStart; ++low) {
        for (int high = top; high >= upperStart; --high) {
            if (std::fabs(pairSum - list[static_cast<std::size_t>(high)].mPlusH -
                          list[static_cast<std::size_t>(low)].mPlusH) <= parent.tolerance) {
                ++pairs;
                top = high - 1;
                break;
            }
        }
    }
    return pairs;
}

TEST_F(FragmentPairTest, WalkAgreesWithTheDirectScanOnCrowdedLists) {
    // Masses on a 0.1 grid around complements of each other, so that many
    // fragments compete for the same partners and many sums hit the bound.
    std::uint64_t state = 12345;
    const auto next = [&state](int range) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(range));
    };
    for (int round = 0; round < 300; ++round) {
        const KestranePeak parent = makeParentKestranePeak(500.0 + next(400), 1, 0.1 * (1 + next(6)), chemistry().groups);
        PeakList list;
        const int count = next(40);
        for (int i = 0; i < count; ++i) {
            const double low = 100.0 + 0.1 * next(300);
            list.push_back(fragment(next(2) == 0 ? low : parent.mPlusH + kH - low + 0.1 * (next(9) - 4), 1.0));
        }
        std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.mOverZ < b.mOverZ; });
        const int expected = pairsByDirectScan(list, parent);
        EXPECT_EQ(countBYpairs(list, parent, chemistry().groups), expected) << "round " << round;
    }
}

TEST_F(FragmentPairTest, ChargeReducedPairsTakeADoublyChargedPartner) {
    // Parent 700, charge 3: MH+ 2097.98, S2 = MH+ + m(H2) = 2100.0, middle
    // 1049.24. Candidates from 800 down to 500.2 (150 is below 200):
    // 2100 - 2 * 800 = 500 meets 500.2; 2100 - 2 * 500.2 = 1099.6 meets 1100.
    const PeakList list = peaks({{150.0, 1.0}, {500.2, 1.0}, {800.0, 1.0}, {1100.0, 1.0}});
    EXPECT_EQ(countChargeReducedPairs(list, makeParentKestranePeak(700.0, 3, 0.5, chemistry().groups), chemistry().groups), 2);
    EXPECT_EQ(countChargeReducedPairs(list, makeParentKestranePeak(700.0, 1, 0.5, chemistry().groups), chemistry().groups), 0);
    // Every candidate below 200: nothing to pair.
    EXPECT_EQ(countChargeReducedPairs(peaks({{150.0, 1.0}, {190.0, 1.0}}), makeParentKestranePeak(100.0, 3, 0.5, chemistry().groups), chemistry().groups), 0);
}

// The features of a picked list without noise, pairs within 0.5.
SpecFeatures featuresOf(PeakList list, const KestranePeak& parent, std::int32_t chargeUnknown,
                        std::int32_t chargesCertain = 0, double parentTolerance = 0.5) {
    return calculateSpecFeatures(list, static_cast<std::int32_t>(list.size()), 0, parent, chargeUnknown, {},
                                 parentTolerance, chargesCertain, chemistry());
}

TEST_F(SpecFeaturesTest, IntensityFeaturesTheGivenNoiseAndNotANumberRatio) {
    PeakList list = peaks({{200.0, 300.0}, {300.0, 100.0}});
    KestranePeak parent = makeParentKestranePeak(800.0, 2, 0.5, chemistry().groups);
    const SpecFeatures f = calculateSpecFeatures(list, 57, 9, parent, 0, {12.0, 3.0, 9.0}, 0.5, 0, chemistry());
    EXPECT_EQ(std::to_string(f.numOriginalPeaks) + " " + std::to_string(f.callerValue) + " " +
                  std::to_string(f.noiseStandardDeviation) + " " + std::to_string(f.parent_charge),
              "57 9 3.000000 2");

    parent.intensity = 5.0;
    EXPECT_EQ(featuresOf(list, parent, 0).parentIntensity, 5.0);
    char text[16];
    std::snprintf(text, sizeof text, "%0.1f", featuresOf(peaks({{200.0, 0.0}, {300.0, 0.0}}), parent, 0).MaxToTotalIntensityRatio);
    EXPECT_STREQ(text, "nan");
}

// Half-spacings of a doubly charged G, A, S ladder: readable only in the
// second tag pass, which only a parent of charge 3 or more gets.
PeakList doublyChargedLadder() {
    return peaks({{492.47, 1.0}, {535.97, 1.0}, {571.49, 1.0}, {600.0, 1.0}});
}

TEST_F(SpecFeaturesTest, UnknownChargeTakesTheTagOfTheShiftedChargeThreeParent) {
    // Charge 3 trial: 700 * 0.999367342 = 699.55714; its MH+ 2096.65577,
    // so the mass above the tag is 2096.65577 - m(H) - (2 * 571.49 - m(H)).
    const PeakList list = doublyChargedLadder();
    const SpecFeatures unknown = featuresOf(list, makeParentKestranePeak(700.0, 2, 0.5, chemistry().groups), 1);
    EXPECT_EQ(unknown.maxSequenceTagLength, 3);
    EXPECT_EQ(unknown.maxSequenceTag, "[982.92]SAG[953.68]");
    // Certain charges use the unshifted parent: 2097.98 - 1142.98.
    EXPECT_EQ(featuresOf(list, makeParentKestranePeak(700.0, 2, 0.5, chemistry().groups), 1, 1).maxSequenceTag,
              "[982.92]SAG[955.00]");
    // Known charge 2: one pass at charge 1 finds nothing.
    const SpecFeatures known = featuresOf(list, makeParentKestranePeak(700.0, 2, 0.5, chemistry().groups), 0);
    EXPECT_EQ(known.maxSequenceTagLength, 0);
    EXPECT_EQ(known.maxSequenceTag, "");
}

TEST_F(SpecFeaturesTest, UnknownChargeKeepsTheLargerPairCountWithinTheGivenTolerance) {
    // Charge 2 trial: S = 1001.0, 300 + 701 pairs, and 300 + 701.3 only
    // while the tolerance the trials are built with reaches 0.3. Charge 3
    // trial finds no pair for either count.
    const KestranePeak parent = makeParentKestranePeak(500.5, 2, 0.5, chemistry().groups);
    EXPECT_EQ(featuresOf(peaks({{300.0, 1.0}, {701.0, 1.0}}), parent, 1).BYpairs, 1);
    EXPECT_EQ(featuresOf(peaks({{300.0, 1.0}, {701.3, 1.0}}), parent, 1, 0, 0.5).BYpairs, 1);
    EXPECT_EQ(featuresOf(peaks({{300.0, 1.0}, {701.3, 1.0}}), parent, 1, 0, 0.2).BYpairs, 0);
}

TEST_F(SpecFeaturesTest, KnownChargeThreeCountsAgainstTheShiftedParentUnlessChargesAreCertain) {
    // Parent 700, charge 3: shifted MH+ + m(H) = 2097.6636 fits 900 + 1197.66;
    // unshifted (2098.9922) does not. No charge-reduced pair (2100 - 1800 =
    // 300 has no partner).
    const PeakList list = peaks({{900.0, 1.0}, {1197.66, 1.0}});
    const KestranePeak parent = makeParentKestranePeak(700.0, 3, 0.5, chemistry().groups);
    EXPECT_EQ(featuresOf(list, parent, 0).BYpairs, 1);
    EXPECT_EQ(featuresOf(list, parent, 0, 1).BYpairs, 0);
}

// One ion-trap MS/MS spectrum of the doubly charged peptide LVNELTEFAK
// (MH+ 1163.6312, m/z 582.3195), picked and scored as the first-vendor front
// end does with the start-up settings: binning 0.00001 (no centroiding),
// signal-to-noise 5, peak limit 25.
//
// Raw peaks:
// - b2..b9 and y1..y9 (monoisotopic masses to four decimals) with the
//   intensities below, each with its isotope 1.00335 higher at half height;
// - the precursor 582.32 (3000) with its isotope 582.82 (1500), a water loss
//   573.31 (2000) and a two-water loss 564.31 (1500);
// - 100 noise peaks of 100, 110, ..., 190 (ten of each), 10 Th apart from
//   110.5 on, each moved on by 5 while it would sit on a fragment's isotope
//   envelope or in a precursor window.
//
// Derivation:
// 1. No centroiding (width below 0.0001).
// 2. Charge 2: the window 572.32 to 584.82 takes 582.32, 582.82 and 573.31;
//    582.32 - 564.31 = 18.01, within 1.5 of m(H2O), takes 564.31.
// 3-4. R = third most intense = y5 (4100): band (4.1, 124.24) holds the 30
//    noise peaks of 100 to 120; 134 peaks are above 4.1, so more than
//    trunc(134 * 0.65) + 2 = 89 are needed. Doubled (248.48) the band holds
//    all 100 noise peaks: mean 145, variance 10^2 (10^2 - 1) / 12 = 825.
// 5. Looking left, every isotope (half the height of the peak 1.00335 below
//    it) merges into its fragment: 1.5 times the fragment's height. Noise
//    peaks have nothing within 1.5 below them.
// 6. Threshold 5 sqrt(825) + 145 = 288.61 removes the noise.
// 7-8. 17 peaks remain: under the limit of 25, all above 105.
// Features (charge 2 known, tolerance 0.5):
// - max 1.5 * 5200 = 7800; total 1.5 * (29000 + 12600) = 62400; ratio 12.5.
// - middle (0.5 + 1163.6312) / 2 = 582.07: y1..y4 and b2..b5 are low; each
//   b_i + y_(10-i) adds up to MH+ + m(H) within 0.0001: 8 pairs.
// - the y ladder is the only path of 8 steps (V N E L T E F A from y9 down;
//   the b ladder has 7, and no b-y spacing reads as a residue): below y1
//   147.1134 - m(H) = 146.11, above 1163.6312 - m(H) - y8 951.4787 = 211.14.
TEST_F(SpecFeaturesTest, RealisticSpectrumPickedAndScored) {
    const std::vector<std::pair<double, double>> fragments = {
        {147.1134, 1200}, {213.1603, 1500}, {218.1505, 2600}, {327.2032, 1100}, {365.2189, 3400},
        {456.2458, 2000}, {494.2615, 2200}, {569.3299, 1300}, {595.3092, 4100}, {670.3776, 1700},
        {708.3932, 5200}, {799.4202, 2400}, {837.4358, 4600}, {946.4886, 1600}, {951.4787, 3900},
        {1017.5257, 1000}, {1050.5472, 1800}};
    PeakList raw;
    for (const auto& [mz, intensity] : fragments) {
        raw.push_back(fragment(mz, intensity));
        raw.push_back(fragment(mz + 1.00335, intensity / 2));
    }
    for (const auto& [mz, intensity] :
         {std::pair{582.32, 3000.0}, std::pair{582.82, 1500.0}, std::pair{573.31, 2000.0}, std::pair{564.31, 1500.0}}) {
        raw.push_back(fragment(mz, intensity));
    }
    const auto occupied = [&fragments](double mz) {
        for (const auto& [fragmentMz, intensity] : fragments) {
            if (mz >= fragmentMz - 0.6 && mz <= fragmentMz + 2.6) return true;
        }
        return (mz >= 571.5 && mz <= 585.5) || (mz >= 562.0 && mz <= 566.5);
    };
    double noiseMz = 110.5;
    for (int k = 0; k < 100; ++k) {
        while (occupied(noiseMz)) noiseMz += 5.0;
        raw.push_back(fragment(noiseMz, 100.0 + 10.0 * (k % 10)));
        noiseMz += 10.0;
    }
    std::sort(raw.begin(), raw.end(), [](const auto& a, const auto& b) { return a.mOverZ < b.mOverZ; });

    const KestranePeak parent = makeParentKestranePeak(582.3195, 2, 0.5, chemistry().groups);
    PickedPeaks picked = pickPeaks(raw, parent, pickSettings({0.00001, 5, 25, 0, 0}));

    ASSERT_EQ(picked.peaks.size(), fragments.size());
    for (std::size_t i = 0; i < fragments.size(); ++i) {
        EXPECT_EQ(picked.peaks[i].mOverZ, fragments[i].first);
        EXPECT_EQ(picked.peaks[i].intensity, 1.5 * fragments[i].second);
    }

    const SpecFeatures f = calculateSpecFeatures(picked.peaks, static_cast<std::int32_t>(raw.size()), 0, parent, 0,
                                                 picked.noise, 0.5, 0, chemistry());
    char got[256];
    std::snprintf(got, sizeof got, "%d %d %.17g %.17g %.17g %.17g %.12g %.12g %d %d %s", f.numPeaks, f.numOriginalPeaks,
                  f.maxIntensity, f.totalOriginalIntensity, f.parentIntensity, f.MaxToTotalIntensityRatio, f.noiseMean,
                  f.noiseStandardDeviation, f.BYpairs, f.maxSequenceTagLength, f.maxSequenceTag.c_str());
    EXPECT_STREQ(got, "17 138 7800 62400 62400 12.5 145 28.7228132327 8 8 [146.11]AFETLENV[211.14]");
    EXPECT_EQ(picked.peaks.front().mOverZ, 147.1134);  // order restored
}

}  // namespace
