#pragma once
// The three tests that drop spectra unlikely to identify a peptide. A refusal
// leaves one row in xtractorRejectReasons.txt; the caller marks the spectrum.
#include <cstdint>
#include <optional>
#include <string>

#include "core/extractor/extraction_context.h"
#include "core/peaks/spec_features.h"

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
// parent, the sequence tag of its features. The features of a spectrum that
// passes; nothing for one that was refused.
struct FilterCandidate {
    const std::string& name;
    double parentMz;
    std::int32_t charge;
    std::int32_t chargePending;
    PeakList peaks;  // a copy of the spectrum's own list: picking consumes it
};
std::optional<SpecFeatures> filterMSMSspectrum(FilterCandidate spectrum, const ExtractionContext& context);
