#pragma once
// The three tests that drop spectra unlikely to identify a peptide. A refusal
// leaves one row in xtractorRejectReasons.txt; the caller marks the spectrum.
#include <string>

enum RejectCode { passedFilters = 0, parentOutsideRange = 2, sequenceTagTooShort = 3, tooFewPeaks = 4 };

// Precursor M+H within [lowParent, highParent]; not-a-number never is.
int filterParentRange(double parentMPlusH, const std::string& spectrumName);
// Longest sequence tag strictly longer than maxSequenceTagLength.
int filterSequenceTagLength(int longestTagLength, const std::string& spectrumName);
// At least 4 peaks left after picking.
int filterPeakCount(int pickedPeakCount, const std::string& spectrumName);
