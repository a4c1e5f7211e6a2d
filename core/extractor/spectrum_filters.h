#pragma once
// The three tests that drop spectra unlikely to identify a peptide. A refusal
// leaves one row in xtractorRejectReasons.txt; the caller marks the spectrum.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
// stopping at the first refusal: the parent range (an undetermined charge
// taken as 2), the peak count after picking the spectrum against that
// parent, the sequence tag of its features. The pick is the costly part and
// reads the spectrum alone, so it comes apart: `pickForFilters` (nothing for
// a parent out of range, which is never picked) may run for many spectra at
// once; `judgePickedSpectrum` then runs the tests in order with that pick,
// writes the refusal row and gives the features of a spectrum that passes.
struct FilterCandidate {
    const std::string& name;
    double parentMz;
    std::int32_t charge;
    bool chargePending;
};
struct FilterPick {
    std::int32_t numOriginalPeaks = 0;
    PickedPeaks picked;
};
std::optional<FilterPick> pickForFilters(double parentMz, std::int32_t charge, PeakList peaks,
                                         const ExtractionContext& context);
std::optional<SpecFeatures> judgePickedSpectrum(const FilterCandidate& spectrum, std::optional<FilterPick> pick,
                                                const ExtractionContext& context);

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
            return pickForFilters(scan.parentMz, scan.charge, peaksOf(scan), context);
        },
        [&](std::int32_t i, std::optional<FilterPick> pick) {
            Record& scan = records[static_cast<std::size_t>(i)];
            if (!isCandidate(scan)) return;
            const std::string name = nameOf(scan);
            std::optional<SpecFeatures> features =
                judgePickedSpectrum({name, scan.parentMz, scan.charge, scan.chargePending}, std::move(pick), context);
            if (features) {
                scan.specFeatures = std::move(*features);
            } else {
                scan.rejected = true;
            }
        });
}
