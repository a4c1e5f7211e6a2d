// Precursor charge determination in the "Find" mode: survey scans with peaks
// at the m/z the same molecule would have one or two protons lighter or
// heavier, MS/MS spectra with complementary b/y fragments built from residue
// masses, and the parentChargeCheck.txt bytes each decision leaves.
//
// Every expected value below is worked out by hand in the comments, with
// H = 1.007825035 and H2 = 2.01565007 as the evidence ladder uses them.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "tests/support/whole_table_stages.h"
#include "core/extractor/charge_source.h"
#include "core/peaks/resolved_envelope.h"
#include "core/util/format_text.h"
#include "core/util/printable_real.h"
#include "tests/yepharvest/stage_fixture.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"

namespace {

const std::string findQuery = "autoCharge=Find&maxCharge=5&minMSsignalNoise=50&parentTolerance=0.5";

constexpr double proton = 1.007276;

// b2, b3, ... of SGAVPTNL and of WYFRHMEK: a proton plus the running residue
// sum (monoisotopic residue masses). b1 is left out, since it falls below the
// 105 Th fragment floor for most residues.
const std::vector<double> sgavptnlB = {145.060766, 216.097876, 315.166286, 412.219046, 513.266726};
const std::vector<double> wyfrhmekB = {350.149916, 497.218326, 653.319436};

std::vector<double> bIons(const std::vector<double>& ladder, int count) {
    return {ladder.begin(), ladder.begin() + count};
}

// An MS/MS spectrum for a precursor at `mz` holding
// - `doublyPairs` b/y pairs of a charge-2 reading: b from SGAVPTNL
//   (b2..b6 = 145.06, 216.10, 315.17, 412.22, 513.27) and y = 2·mz − b, so
//   b + y = 2·mz, which is the charge-2 pair sum mPlusH + m(H) =
//   (2·mz − H) + H;
// - `triplyPairs` pairs of a charge-3 reading: b from WYFRHMEK (b2..b4 =
//   350.15, 497.22, 653.32) and y = 3·mz − proton − b, the charge-3 pair sum
//   (3·mz − 2H) + H = 3·mz − H within 0.001 (tolerance 2.5);
// - `unpaired` lone fragments at mz + 40, mz + 100, ...
// The fragments are 100000 high and more than 1.5 Th apart (no isotope
// folding), clear of the precursor window (mz − 10 .. mz + 2.5) and of the
// double water loss (mz − 18.01 ± 1.5). None of them forms a pair across the
// two readings (checked for every precursor used here). Forty noise peaks of
// 200 at 20..98 Th put the noise mean at 200 with deviation 0: the 2nd
// highest intensity is 100000, the band 100..3030 holds the 40 noise peaks,
// more than trunc(0.65·(40 + fragments)) + 2 for up to 12 fragments. The
// noise peaks then fall to the noise filter (200 is not above 200) and the
// 105 Th floor; every fragment survives picking.
PeakList msmsSpectrum(double mz, int doublyPairs, int triplyPairs, int unpaired) {
    PeakList peaks;
    for (int k = 0; k < 40; ++k) peaks.push_back(peakAt(20.0 + 2.0 * k, 200.0));
    for (const double b : bIons(sgavptnlB, doublyPairs)) {
        peaks.push_back(peakAt(b, 100000.0));
        peaks.push_back(peakAt(2.0 * mz - b, 100000.0));
    }
    for (const double b : bIons(wyfrhmekB, triplyPairs)) {
        peaks.push_back(peakAt(b, 100000.0));
        peaks.push_back(peakAt(3.0 * mz - proton - b, 100000.0));
    }
    for (int k = 0; k < unpaired; ++k) peaks.push_back(peakAt(mz + 40.0 + 60.0 * k, 100000.0));
    std::sort(peaks.begin(), peaks.end(), [](const KestranePeak& a, const KestranePeak& b) { return a.mOverZ < b.mOverZ; });
    return peaks;
}

// Survey peaks in ascending m/z. The scans get noise mean 100 and deviation
// 10, so a lone peak of intensity I in a window has S/N (I − 100) / 10:
// 2100 gives 200.0, the precursor peaks of 3000 sit far from every partner
// position.
PeakList surveyScan(std::vector<std::pair<double, double>> peaks) {
    std::sort(peaks.begin(), peaks.end());
    PeakList list;
    for (const auto& [mz, intensity] : peaks) list.push_back(peakAt(mz, intensity));
    return list;
}

struct Decision {
    std::string charges;  // charge/chargePending/centroid of every record
    std::string log;      // parentChargeCheck.txt after its header
    std::string stated;   // the charge an MGF states for every MS/MS record (0: none)
};

Decision decide(const std::string& query, const std::vector<ScanSpec>& run, bool mergeFirst = false) {
    StageRun s(query, run);
    for (MSscan& scan : s.run.records) {
        if (scan.msLevel != 1) continue;
        scan.noiseMean = 100.0;
        scan.noiseStandardDeviation = 10.0;
    }
    if (mergeFirst) mergeNearbyMSMSspectra(s.run, s.context);
    determinePrecursorCharges(s.run, s.context);
    Decision decision;
    for (const MSscan& r : s.run.records) {
        if (r.msLevel == 2) {
            decision.charges += formatText("%d/%d/%.3f ", r.charge, r.chargePending, printableReal(r.parentMzCentroid));
            decision.stated += formatText("%d ", statedCharge(r.charge, r.chargeSource, 0));
        }
    }
    decision.log = s.logs.parentChargeCheck.text();
    return decision;
}

// The notes that end a b/y-pair decision, as the log writes them.
std::string pairCounts(const std::string& mz, int b2, int b3) {
    return formatText("\tz = 2 (%s) %d b/y pairs found\t z = 3 (%s) b/y pairs found %d; ", mz.c_str(), b2, mz.c_str(), b3);
}

// One survey scan, then one MS/MS spectrum (scan 2) with b2 charge-2 pairs,
// b3 charge-3 pairs and some lone fragments; the log line and the record's
// charge/pending/centroid.
//
// Precursor 600.3 over survey peaks 600.0 (3000) and 600.5 (1000): centroid
// 600.125, charge-2 partner 2·600.125 − H = 1199.2422; g = 5, 4, 3 find
// nothing at 749.9, 799.8/480.3, 899.7/450.3. A partner of I gives S/N
// (I − 100)/10: 600 is 50.0, not above the minimum; 610 is 51.0.
// Precursor 550 (centroid 550): g = 4 x1 732.9974, g = 3 x1 824.4961, g = 2
// x1 1098.9922; the z = 4 position (3·550 + H)/4 = 412.7520.
// Precursor 650: g = 5 x1 812.2480, x2 1082.6614; g = 4 x1 866.3307, x3
// 520.2016; g = 3 x1 974.4961, x3 487.7520, x4 390.4031 (written without a
// blank after its comma); the z = 4 position 487.7520, above 450.
// Centroid 480: below 500, no g is tried.
TEST(FindCharge, SurveyEvidenceAndPairCountsDecide) {
    struct Case {
        const char* what;
        std::string query;
        std::vector<std::pair<double, double>> survey;
        double mz;
        int b2, b3, lone;
        std::string log, charges;
        std::string stated;  // survey-scan evidence and the fixed charge only
    };
    const auto two = [](double partner) {
        return std::vector<std::pair<double, double>>{{600.0, 3000.0}, {600.5, 1000.0}, {1199.24, partner}};
    };
    const std::vector<std::pair<double, double>> three = {{550.0, 3000.0}, {824.5, 2100.0}};
    const std::vector<Case> cases = {
        {"S/N exactly the minimum", findQuery, two(600.0), 600.3, 2, 0, 1, "", "0/1/600.125 ", "0 "},
        {"S/N just above", findQuery, two(610.0), 600.3, 2, 0, 1,
         "\nr1.0002\tz= 2 (600.3) MS peak z = 1 (1199.2) S/N: 51.0;\tassigned z = 2", "2/0/600.125 ", "2 "},
        {"survey z = 2 with pairs", findQuery, two(2100.0), 600.3, 3, 0, 0,
         "\nr1.0002\tz= 2 (600.3) MS peak z = 1 (1199.2) S/N: 200.0\nr1.0002\tz = 4 (450.3) S/N: 0.0" +
             pairCounts("600.3", 3, 0) + "\tassigned z = 2",
         "2/0/600.125 ", "2 "},
        {"fixed charge", "lowCharge=3&highCharge=3", two(2100.0), 600.3, 3, 0, 0, "", "3/0/0.000 ", "3 "},
        {"no mode, a charge range", "lowCharge=2&highCharge=3", two(2100.0), 600.3, 3, 0, 0, "", "0/1/0.000 ", "0 "},
        {"default mode", "autoCharge=Default&maxCharge=5", two(2100.0), 600.3, 3, 0, 0, "", "0/1/600.125 ", "0 "},
        {"no survey peak at the precursor", "autoCharge=Default&maxCharge=5", {{1199.24, 2100.0}}, 600.3, 3, 0, 0, "",
         "0/1/nan ", "0 "},
        {"survey z = 3 alone", findQuery, three, 550.0, 2, 0, 1,
         "\nr1.0002\tz= 3 (550.0) MS peak z = 2 (824.5) S/N: 200.0;\tassigned z = 3", "3/0/550.000 ", "3 "},
        {"survey z = 3 against pairs", findQuery, three, 550.0, 3, 0, 0,
         "\nr1.0002\tz= 3 (550.0) MS peak z = 2 (824.5) S/N: 200.0" + pairCounts("550.0", 3, 0) +
             "b/y pair, z2 in MS scan conflict z not assigned",
         "0/1/550.000 ", "0 "},
        {"survey z = 3 confirmed", findQuery, three, 550.0, 3, 2, 0,
         "\nr1.0002\tz= 3 (550.0) MS peak z = 2 (824.5) S/N: 200.0, z = 4 (412.8) S/N: 0.0" +
             pairCounts("550.0", 3, 2) + "\tassigned z = 3",
         "3/0/550.000 ", "3 "},
        {"z = 5 from two lighter partners", findQuery, {{650.0, 3000.0}, {812.25, 2100.0}, {1082.66, 2100.0}}, 650.0, 3, 0,
         0, "\nr1.0002\tz= 5 (650.0) MS peaks z = 4 (812.2) S/N: 200.0, z = 3 (1082.7) S/N: 200.0\tassigned z = 5",
         "5/0/650.000 ", "5 "},
        {"z = 4 from a lighter and a heavier partner", findQuery, {{520.2, 2100.0}, {650.0, 3000.0}, {866.33, 2100.0}},
         650.0, 2, 0, 1,
         "\nr1.0002\tz= 4 (650.0) MS peaks z = 3 (866.3) S/N: 200.0, z = 5 (520.2) S/N: 200.0\tassigned z = 4",
         "4/0/650.000 ", "4 "},
        {"z = 3 from two heavier partners", findQuery, {{390.4, 2100.0}, {487.75, 2100.0}, {650.0, 3000.0}}, 650.0, 3, 0,
         0,
         "\nr1.0002\tz= 3 (650.0) MS peaks z = 4 (487.8) S/N: 200.0,z = 5 (390.4) S/N: 200.0" +
             pairCounts("650.0", 3, 0) + "\tassigned z = 3",
         "3/0/650.000 ", "3 "},
        // g = 4 looks no further than maxCharge: its z = 5 partner (520.2)
        // would need one at z = 6, (4·650 + H2)/6 = 433.6692, which is also
        // the z = 3 partner of g = 2, (2·650 + H)/3.
        {"no partner beyond maxCharge", findQuery, {{433.67, 2100.0}, {520.2, 2100.0}, {650.0, 3000.0}}, 650.0, 2, 0, 1,
         "\nr1.0002\tz= 2 (650.0) MS peaks z = 3 (433.7) S/N: 200.0;\tassigned z = 2", "2/0/650.000 ", "2 "},
        {"centroid below 500", findQuery, {{480.0, 3000.0}, {719.5, 2100.0}, {958.99, 2100.0}}, 480.0, 2, 0, 1, "",
         "0/1/480.000 ", "0 "},
        {"pairs alone give 2", findQuery, {{550.0, 3000.0}}, 550.0, 5, 0, 0,
         "\nr1.0002\tz = 4 (412.8) S/N: 0.0" + pairCounts("550.0", 5, 0) + "\tassigned z = 2", "2/0/550.000 ", "0 "},
        {"one charge-3 pair", findQuery, {{550.0, 3000.0}}, 550.0, 3, 1, 0,
         "\nr1.0002\tz = 4 (412.8) S/N: 0.0" + pairCounts("550.0", 3, 1) + "b/y pair conflict z not assigned",
         "0/1/550.000 ", "0 "},
        {"three charge-3 pairs", findQuery, {{550.0, 3000.0}}, 550.0, 3, 3, 0,
         "\nr1.0002\tz = 4 (412.8) S/N: 0.0" + pairCounts("550.0", 3, 3) + "\tassigned z = 3", "3/0/550.000 ", "0 "},
        {"z = 4 peak at or below 450", findQuery, {{412.75, 2100.0}, {550.0, 3000.0}}, 550.0, 3, 2, 0,
         "\nr1.0002\tz = 4 (412.8) S/N: 200.0" + pairCounts("550.0", 3, 2) +
             "b/y pair, z4 in MS scan conflict z not assigned",
         "0/1/550.000 ", "0 "},
        {"z = 4 peak above 450", findQuery, {{487.75, 2100.0}, {650.0, 3000.0}}, 650.0, 3, 2, 0,
         "\nr1.0002\tz = 4 (487.8) S/N: 200.0" + pairCounts("650.0", 3, 2) + "\tassigned z = 3", "3/0/650.000 ", "3 "},
    };
    for (const Case& c : cases) {
        const Decision d =
            decide(c.query, {{1, 0, surveyScan(c.survey)}, {2, c.mz, msmsSpectrum(c.mz, c.b2, c.b3, c.lone)}});
        EXPECT_EQ(d.log, c.log) << c.what;
        EXPECT_EQ(d.charges, c.charges) << c.what;
        EXPECT_EQ(d.stated, c.stated) << c.what;
    }
}

TEST(FindCharge, SpectraBeforeTheFirstSurveyScanGoOnWithoutSurveyEvidence) {
    // Scan 1 precedes every survey scan: centroid stays 0, the z = 4 position
    // is (3·0 + H)/4 = 0.2520 with S/N 0.0, and its pairs (B2 = 3, B3 = 0)
    // give A2. Scan 3 has its survey scan but no evidence and B2 = 2: silent.
    const Decision d = decide(findQuery, {{2, 550.0, msmsSpectrum(550.0, 3, 0, 0)},
                                          {1, 0, surveyScan({{550.0, 3000.0}})},
                                          {2, 550.0, msmsSpectrum(550.0, 2, 0, 1)}});
    EXPECT_EQ(d.log, "\nr1.0001\tz = 4 (0.3) S/N: 0.0" + pairCounts("550.0", 3, 0) + "\tassigned z = 2");
    EXPECT_EQ(d.charges, "2/0/0.000 0/1/550.000 ");
}

TEST(FindCharge, MergedGroupSeesEverySurveyScanItSpansAndRejectedRecordsAreDecidedToo) {
    // Survey scan 1 holds only the precursor (550.0); survey scan 3 holds it
    // at 550.2 and a peak at 824.5. Scans 2 and 4 fragment the same precursor.
    // Scan 2's centroid comes from scan 1 alone: 550.0, charge-3 partner
    // (3·550 − H)/2 = 824.4961. Scan 4's from scan 3: 550.2, partner
    // (3·550.2 − H)/2 = 1649.592174965/2 = 824.7961 (window 824.30..825.30
    // holds 824.5). The merged-away scan 4 is decided as well.
    const std::vector<ScanSpec> run = {{1, 0, surveyScan({{550.0, 3000.0}})},
                                       {2, 550.0, msmsSpectrum(550.0, 2, 0, 1)},
                                       {1, 0, surveyScan({{550.2, 3000.0}, {824.5, 2100.0}})},
                                       {2, 550.0, msmsSpectrum(550.0, 2, 0, 1)}};
    const std::string scanFourLine = "\nr1.0004\tz= 3 (550.0) MS peak z = 2 (824.8) S/N: 200.0;\tassigned z = 3";
    // groupScans 3: scan 4 joins scan 2, whose survey evidence then spans
    // scans 1 to 3.
    const Decision merged = decide(findQuery + "&groupScans=3", run, true);
    EXPECT_EQ(merged.log, "\nr1.0002\tz= 3 (550.0) MS peak z = 2 (824.5) S/N: 200.0;\tassigned z = 3" + scanFourLine);
    EXPECT_EQ(merged.charges, "3/0/550.000 3/0/550.200 ");
    // groupScans 1: scan 2 sees scan 1 only.
    const Decision alone = decide(findQuery + "&groupScans=1", run, true);
    EXPECT_EQ(alone.log, scanFourLine);
    EXPECT_EQ(alone.charges, "0/1/550.000 3/0/550.200 ");
}

TEST(FindCharge, FragmentsBelowThePrecursorMeanChargeOneInEitherMode) {
    // Only pair lows (145, 216, 315 < 550 + 3) and no highs: singly charged,
    // centroid = precursor, nothing logged even with a survey partner.
    PeakList spectrum = msmsSpectrum(550.0, 0, 0, 0);
    for (const double b : bIons(sgavptnlB, 3)) spectrum.push_back(peakAt(b, 100000.0));
    for (const std::string& query : {findQuery, std::string("autoCharge=Default")}) {
        const Decision d = decide(query, {{1, 0, surveyScan({{550.3, 3000.0}, {824.5, 2100.0}})}, {2, 550.0, spectrum}});
        EXPECT_EQ(d.log, "") << query;
        EXPECT_EQ(d.charges, "1/0/550.000 ") << query;
        EXPECT_EQ(d.stated, "0 ") << query << ": the fragments alone";
        // Not even where the survey scan shows a resolved singly-charged
        // envelope around the precursor, heights as a peptide's.
        std::vector<std::pair<double, double>> envelope;
        for (int k = 0; k < 3; ++k) {
            envelope.emplace_back(550.0 + k * kPeptideIsotopeSpacing, 30000.0 * peptideIsotopeHeight(549.0, k));
        }
        const Decision confirmed = decide(query, {{1, 0, surveyScan(envelope)}, {2, 550.0, spectrum}});
        EXPECT_EQ(confirmed.log, "") << query;
        EXPECT_EQ(confirmed.charges, "1/0/550.000 ") << query;
        EXPECT_EQ(confirmed.stated, "0 ") << query;
    }
}

// A survey scan is decided too, against a precursor of m/z 0 (M+H −H, pair
// sum 0). Fragments 130/320, 140/310 and 150/300 (100000 each, over the
// forty noise peaks of 200) sum to 450: pairs within a tolerance of 600,
// whose middle (600 − H)/2 = 299.5 they straddle; B3 = 0. The centroid of
// the scan around 0 (all of it) is 135472000/608000 = 222.8158, below 500:
// no survey evidence. The z = 4 position (3·222.8158 + H)/4 = 167.4 sums the
// whole scan: (608000 − 100)/10 = 60790.0. With the tolerance of 0.5 no
// fragment lies below the middle and nothing is logged; "Default" never logs.
TEST(FindCharge, SurveyScansAreDecidedAgainstAPrecursorOfZero) {
    PeakList survey = msmsSpectrum(0.0, 0, 0, 0);
    for (const double mz : {130.0, 140.0, 150.0, 300.0, 310.0, 320.0}) survey.push_back(peakAt(mz, 100000.0));
    const std::string wide = "autoCharge=Find&maxCharge=5&minMSsignalNoise=50&parentTolerance=600";
    EXPECT_EQ(decide(wide, {{1, 0, survey}}).log, "\nr1.0001\tz = 4 (167.4) S/N: 60790.0" + pairCounts("0.0", 3, 0) +
                                                       "b/y pair, z4 in MS scan conflict z not assigned");
    EXPECT_EQ(decide(findQuery, {{1, 0, survey}}).log, "");
    EXPECT_EQ(decide("autoCharge=Default&parentTolerance=600", {{1, 0, survey}}).log, "");
}

}  // namespace
