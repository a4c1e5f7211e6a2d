#include "core/extractor/spectrum_filters.h"

#include <cstdio>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/output_files.h"
#include "core/util/format_text.h"
#include "core/util/printable_real.h"

int filterParentRange(double parentMPlusH, const std::string& spectrumName) {
    const ExtractorParameters& p = extractorParameters();
    if (p.lowParent <= parentMPlusH && parentMPlusH <= p.highParent) return passedFilters;
    std::fprintf(getRejectReasonsStream(), "\n%s\t0\t%.2f outside range %0.1f - %0.1f", spectrumName.c_str(),
                 printableReal(parentMPlusH), p.lowParent, p.highParent);
    return parentOutsideRange;
}

int filterSequenceTagLength(int longestTagLength, const std::string& spectrumName) {
    const int threshold = extractorParameters().maxSequenceTagLength;
    if (longestTagLength > threshold) return passedFilters;
    std::fprintf(getRejectReasonsStream(), "\n%s\t0\tmaxSequenceTagLength: %d <= %d specified", spectrumName.c_str(),
                 longestTagLength, threshold);
    return sequenceTagTooShort;
}

int filterPeakCount(int pickedPeakCount, const std::string& spectrumName) {
    if (pickedPeakCount >= 4) return passedFilters;
    std::fprintf(getRejectReasonsStream(), "\n%s\t0\t< 4 peaks after picking", spectrumName.c_str());
    return tooFewPeaks;
}
