// The three spectrum filters: inclusive bounds, codes and their reject rows,
// and the sequence both programs run them in.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/extractor/spectrum_filters.h"
#include "tests/support/query_context.h"

namespace {

using FilterCall = std::function<int(const ExtractionContext&)>;

FilterCall parentRange(double mPlusH, const char* name) {
    return [=](const ExtractionContext& c) { return filterParentRange(mPlusH, name, c); };
}
FilterCall peakCount(int count, const char* name) {
    return [=](const ExtractionContext& c) { return filterPeakCount(count, name, c); };
}
FilterCall tagLength(int length, const char* name) {
    return [=](const ExtractionContext& c) { return filterSequenceTagLength(length, name, c); };
}

TEST(SpectrumFilters, BoundsCodesAndRejectRows) {
    struct Case {
        const char* query;
        std::vector<FilterCall> calls;
        const char* codes;
        const char* rows;
    };
    const std::vector<Case> cases = {
        {"",
         {parentRange(500.0, "a"), parentRange(5000.0, "b"), parentRange(450.25, "r1.0012.0012.0.pkl"),
          parentRange(5000.001, "c"), parentRange(std::nan(""), "d"), parentRange(-std::nan(""), "e")},
         "002222",
         "\nr1.0012.0012.0.pkl\t0\t450.25 outside range 500.0 - 5000.0"
         "\nc\t0\t5000.00 outside range 500.0 - 5000.0"
         "\nd\t0\tnan outside range 500.0 - 5000.0"
         "\ne\t0\tnan outside range 500.0 - 5000.0"},
        {"lowParent=600.55&highParent=700", {parentRange(600.5, "x")}, "2", "\nx\t0\t600.50 outside range 600.5 - 700.0"},
        {"", {peakCount(4, "four"), peakCount(3, "three")}, "04", "\nthree\t0\t< 4 peaks after picking"},
        {"", {tagLength(1, "one"), tagLength(0, "none")}, "03", "\nnone\t0\tmaxSequenceTagLength: 0 <= 0 specified"},
        {"maxSequenceTagLength=2", {tagLength(2, "two"), tagLength(3, "three")}, "30",
         "\ntwo\t0\tmaxSequenceTagLength: 2 <= 2 specified"},
    };
    for (const Case& c : cases) {
        const QueryContext run(c.query);
        std::string codes;
        for (const FilterCall& call : c.calls) codes += std::to_string(call(run.context));
        EXPECT_EQ(codes, c.codes) << c.rows;
        EXPECT_EQ(run.logs.rejectReasons.text(), c.rows);
    }
}

// A peak list with the tag "AG" (steps 71.04 and 57.03 below 500) and one
// more peak; intensities high above the fallback noise, so picking keeps all.
PeakList peaksAt(std::initializer_list<double> mzs) {
    PeakList list;
    for (const double mz : mzs) list.push_back(makeFragmentPeak(mz, 1e5));
    return list;
}
PeakList taggedPeaks() { return peaksAt({250.0, 371.93, 442.97, 500.0}); }

// The three tests in order, stopping at the first refusal, at the charges
// judged: a charge the MGF states, or any charge while filterOpenCharges is
// 0, alone; an open one (a 1+ of the fragments, b/y pairs alone, none) first
// as decided, then at 1 to 3 up to maxCharge.
TEST(SpectrumFilters, SequenceAtEachChargeJudged) {
    struct Case {
        const char* what;
        const char* query;
        double parentMz;
        std::int32_t charge;
        ChargeSource source;
        PeakList peaks;
        const char* charges;  // judged, in order
        const char* rows;
        int tagLength;  // -1: refused
    };
    const char* open = "filterOpenCharges=1";
    const std::vector<Case> cases = {
        // Undetermined charge is filtered as 2, with the proton counted as
        // exactly 1 Da: 2 * 250.5 - 1 = 500.0, on the inclusive bound.
        {"charge 0 as 2, passes the range, too few peaks", "", 250.5, 0, ChargeSource::none,
         peaksAt({300.0, 400.0, 450.0}), "2", "\ns\t0\t< 4 peaks after picking", -1},
        {"just below the range", "", 250.49, 0, ChargeSource::none, {}, "2",
         "\ns\t0\t499.98 outside range 500.0 - 5000.0", -1},
        {"passes", "", 1000.0, 1, ChargeSource::fragmentsAlone, taggedPeaks(), "1", "", 2},
        {"tag too short", "maxSequenceTagLength=2", 1000.0, 1, ChargeSource::fragmentsAlone, taggedPeaks(), "1",
         "\ns\t0\tmaxSequenceTagLength: 2 <= 2 specified", -1},
        {"a 1+ guess below the range, inside it at 2+, the designed filters", "", 450.0, 1,
         ChargeSource::fragmentsAlone, taggedPeaks(), "1", "\ns\t0\t450.00 outside range 500.0 - 5000.0", -1},
        {"the same kept at 2+", open, 450.0, 1, ChargeSource::fragmentsAlone, taggedPeaks(), "1 2 3", "", 2},
        {"a 1+ guess outside the range at 1+, 2+ and 3+", open, 150.0, 1, ChargeSource::fragmentsAlone,
         taggedPeaks(), "1 2 3",
         "\ns\t0\t1+: 150.00 outside range 500.0 - 5000.0; 2+: 299.00 outside range 500.0 - 5000.0; "
         "3+: 448.00 outside range 500.0 - 5000.0",
         -1},
        {"above the range at every charge", "filterOpenCharges=1&highParent=1000&maxCharge=3", 1500.0, 1,
         ChargeSource::fragmentsAlone, taggedPeaks(), "1 2 3",
         "\ns\t0\t1+: 1500.00 outside range 500.0 - 1000.0; 2+: 2999.00 outside range 500.0 - 1000.0; "
         "3+: 4498.00 outside range 500.0 - 1000.0",
         -1},
        {"no charge: 2 first; maxCharge 2 stops at 2", "filterOpenCharges=1&maxCharge=2", 150.0, 0,
         ChargeSource::none, taggedPeaks(), "2 1",
         "\ns\t0\t2+: 299.00 outside range 500.0 - 5000.0; 1+: 150.00 outside range 500.0 - 5000.0", -1},
        {"b/y pairs alone are open too: too few peaks at every charge", open, 450.0, 3, ChargeSource::fragmentPairs,
         peaksAt({300.0, 400.0, 420.0}), "3 1 2",
         "\ns\t0\t3+: < 4 peaks after picking; 1+: 450.00 outside range 500.0 - 5000.0; 2+: < 4 peaks after picking",
         -1},
        // The pick at 2+ (near the precursor at 450) leaves three peaks; at 3+ it keeps all four.
        {"each charge refused by its own test", "filterOpenCharges=1&maxSequenceTagLength=2", 450.0, 0,
         ChargeSource::none, taggedPeaks(), "2 1 3",
         "\ns\t0\t2+: < 4 peaks after picking; 1+: 450.00 outside range 500.0 - 5000.0; "
         "3+: maxSequenceTagLength: 2 <= 2 specified",
         -1},
        {"a stated 1+ (survey envelope) is judged at 1+ alone", open, 450.0, 1, ChargeSource::surveyIsotopes,
         taggedPeaks(), "1", "\ns\t0\t450.00 outside range 500.0 - 5000.0", -1},
        {"a stated 2+ (survey scans) likewise", open, 150.0, 2, ChargeSource::surveyScan, taggedPeaks(), "2",
         "\ns\t0\t299.00 outside range 500.0 - 5000.0", -1},
    };
    for (const Case& c : cases) {
        const QueryContext run(c.query);
        const bool openCharge = judgedAtOpenCharges(c.charge, c.source, run.context);
        std::string judged;
        for (const std::int32_t z : filterCharges(c.charge, openCharge, run.context.parameters.maxCharge)) {
            judged += (judged.empty() ? "" : " ") + std::to_string(z);
        }
        EXPECT_EQ(judged, c.charges) << c.what;
        const std::string name = "s";
        const std::int32_t first = filterCharges(c.charge, openCharge, 0).front();
        const std::optional<SpecFeatures> features = judgePickedSpectrum(
            {name, c.parentMz, c.charge, false, openCharge}, pickForFilters(c.parentMz, first, c.peaks, run.context),
            [&](std::int32_t z) { return pickForFilters(c.parentMz, z, c.peaks, run.context); }, run.context);
        EXPECT_EQ(run.logs.rejectReasons.text(), c.rows) << c.what;
        EXPECT_EQ(features.has_value() ? features->maxSequenceTagLength : -1, c.tagLength) << c.what;
    }
}

}  // namespace
