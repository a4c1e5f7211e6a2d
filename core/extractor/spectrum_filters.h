#pragma once
// The three tests that drop spectra unlikely to identify a peptide. A refusal
// leaves one row in xtractorRejectReasons.txt; the caller marks the spectrum.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/extractor/charge_source.h"
#include "core/extractor/extraction_context.h"
#include "core/peaks/peak_picking.h"
#include "core/peaks/spec_features.h"
#include "core/util/two_cores.h"

enum RejectCode { passedFilters = 0, parentOutsideRange = 2, sequenceTagTooShort = 3, tooFewPeaks = 4 };

// Precursor M+H within [lowParent, highParent]; not-a-number never is.
int filterParentRange(double parentMPlusH, const std::string& spectrumName, const ExtractionContext& context);
// Longest sequence tag strictly longer than maxSequenceTagLength.
int filterSequenceTagLength(int longestTagLength, const std::string& spectrumName, const ExtractionContext& context);
// At least 4 peaks left after picking.
int filterPeakCount(int pickedPeakCount, const std::string& spectrumName, const ExtractionContext& context);

// One MS/MS spectrum through the three tests as both programs apply them,
// stopping at the first refusal: the parent range, the peak count after
// picking the spectrum against that parent, the sequence tag of its
// features. They judge the decided charge (an undetermined one taken as 2);
// with filterOpenCharges=1, a spectrum whose MGF block states no charge is
// judged at that charge first, then at each other charge a search engine
// will try for it, and passes at the first that passes all three. The pick
// is the costly part and reads the spectrum alone, so it comes apart:
// `pickForFilters` (nothing for a parent out of range, which is never picked)
// may run for many spectra at once at the first charge; `judgePickedSpectrum`
// then runs the tests in order with that pick (picking again through
// `pickAt` for any further charge), writes the refusal row and gives the
// features of a spectrum that passes.
struct FilterCandidate {
    const std::string& name;
    double parentMz;
    std::int32_t charge;
    bool chargePending;
    bool openCharge;  // judged at every charge of filterCharges
};
struct FilterPick {
    std::int32_t numOriginalPeaks = 0;
    PickedPeaks picked;
};
// The charges the tests judge, in order: the decided one (undetermined: 2),
// then, for an open charge, the others of 1 to 3 that do not exceed maxCharge.
std::vector<std::int32_t> filterCharges(std::int32_t charge, bool openCharge, std::int32_t maxCharge);
// Whether the filters judge this spectrum at every charge they try: its MGF
// block states no charge and filterOpenCharges asks for it.
bool judgedAtOpenCharges(std::int32_t charge, ChargeSource source, const ExtractionContext& context);
std::optional<FilterPick> pickForFilters(double parentMz, std::int32_t charge, PeakList peaks,
                                         const ExtractionContext& context);
using PickAtCharge = std::function<std::optional<FilterPick>(std::int32_t charge)>;
std::optional<SpecFeatures> judgePickedSpectrum(const FilterCandidate& spectrum, std::optional<FilterPick> pick,
                                                const PickAtCharge& pickAt, const ExtractionContext& context);

// Every candidate record among records [first, end) through the tests, in
// record order, the picks made on both cores. `pickedBefore(i, record)` may
// give the pick that pickForFilters would make, made earlier (it runs on
// either thread, once for each candidate). A refused record is marked
// rejected; one that passes keeps its features.
template <class Record, class IsCandidate, class PeaksOf, class NameOf, class PickedBefore>
void filterCandidateSpectra(std::vector<Record>& records, std::int32_t first, std::int32_t end,
                            IsCandidate isCandidate, PeaksOf peaksOf, NameOf nameOf, PickedBefore pickedBefore,
                            const ExtractionContext& context) {
    const std::vector<Record>& readOnly = records;
    computeOnTwoCoresConsumeInOrder<std::optional<FilterPick>>(
        first, end,
        [&](std::int32_t i) -> std::optional<FilterPick> {
            const Record& scan = readOnly[static_cast<std::size_t>(i)];
            if (!isCandidate(scan)) return std::nullopt;
            if (std::optional<FilterPick> earlier = pickedBefore(i, scan)) return earlier;
            return pickForFilters(scan.parentMz, filterCharges(scan.charge, false, 0).front(), peaksOf(scan), context);
        },
        [&](std::int32_t i, std::optional<FilterPick> pick) {
            Record& scan = records[static_cast<std::size_t>(i)];
            if (!isCandidate(scan)) return;
            const std::string name = nameOf(scan);
            const bool open = judgedAtOpenCharges(scan.charge, scan.chargeSource, context);
            const PickAtCharge pickAt = [&](std::int32_t z) {
                return pickForFilters(scan.parentMz, z, peaksOf(scan), context);
            };
            std::optional<SpecFeatures> features = judgePickedSpectrum(
                {name, scan.parentMz, scan.charge, scan.chargePending, open}, std::move(pick), pickAt, context);
            if (features) {
                scan.specFeatures = std::move(*features);
            } else {
                scan.rejected = true;
            }
        });
}
