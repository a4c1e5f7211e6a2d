#include "core/extractor/spectrum_filters.h"

#include "core/chemistry/ion_masses.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_picking.h"
#include "core/util/printable_real.h"

int filterParentRange(double parentMPlusH, const std::string& spectrumName, const ExtractionContext& context) {
    const ExtractorParameters& p = context.parameters;
    if (p.lowParent <= parentMPlusH && parentMPlusH <= p.highParent) return passedFilters;
    context.getRejectReasonsStream().print("\n%s\t0\t%.2f outside range %0.1f - %0.1f", spectrumName.c_str(),
                                           printableReal(parentMPlusH), p.lowParent, p.highParent);
    return parentOutsideRange;
}

int filterSequenceTagLength(int longestTagLength, const std::string& spectrumName, const ExtractionContext& context) {
    const int threshold = context.parameters.maxSequenceTagLength;
    if (longestTagLength > threshold) return passedFilters;
    context.getRejectReasonsStream().print("\n%s\t0\tmaxSequenceTagLength: %d <= %d specified", spectrumName.c_str(),
                                           longestTagLength, threshold);
    return sequenceTagTooShort;
}

int filterPeakCount(int pickedPeakCount, const std::string& spectrumName, const ExtractionContext& context) {
    if (pickedPeakCount >= 4) return passedFilters;
    context.getRejectReasonsStream().print("\n%s\t0\t< 4 peaks after picking", spectrumName.c_str());
    return tooFewPeaks;
}

std::optional<SpecFeatures> filterMSMSspectrum(FilterCandidate spectrum, const ExtractionContext& context) {
    const std::int32_t z = spectrum.charge != 0 ? spectrum.charge : 2;
    if (filterParentRange(nominalSinglyChargedMass(spectrum.parentMz, z), spectrum.name, context) != passedFilters) {
        return std::nullopt;
    }
    const double tolerance = context.parameters.parentTolerance;
    const KestranePeak parent = makeParentKestranePeak(spectrum.parentMz, z, tolerance);
    const auto numOriginalPeaks = static_cast<std::int32_t>(spectrum.peaks.size());
    PickedPeaks picked = pickPeaks(std::move(spectrum.peaks), parent, context.peakPickSettings());
    if (filterPeakCount(static_cast<int>(picked.peaks.size()), spectrum.name, context) != passedFilters) {
        return std::nullopt;
    }
    SpecFeatures features =
        calculateSpecFeatures(picked.peaks, numOriginalPeaks, 0, parent,
                              spectrum.chargePending, picked.noise, tolerance,
                              context.instrument.instrument_charges_certain);
    if (filterSequenceTagLength(features.maxSequenceTagLength, spectrum.name, context) != passedFilters) {
        return std::nullopt;
    }
    return features;
}
