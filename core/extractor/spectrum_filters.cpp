#include "core/extractor/spectrum_filters.h"

#include "core/chemistry/ion_masses.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_picking.h"
#include "core/util/printable_real.h"

namespace {

bool parentInRange(double parentMPlusH, const ExtractorParameters& p) {
    return p.lowParent <= parentMPlusH && parentMPlusH <= p.highParent;
}

std::int32_t filterCharge(std::int32_t charge) { return charge != 0 ? charge : 2; }

}  // namespace

int filterParentRange(double parentMPlusH, const std::string& spectrumName, const ExtractionContext& context) {
    const ExtractorParameters& p = context.parameters;
    if (parentInRange(parentMPlusH, p)) return passedFilters;
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

std::optional<FilterPick> pickForFilters(double parentMz, std::int32_t charge, PeakList peaks,
                                         const ExtractionContext& context) {
    const ExtractorParameters& p = context.parameters;
    const double mPlusH = nominalSinglyChargedMass(parentMz, filterCharge(charge));
    if (!parentInRange(mPlusH, p)) return std::nullopt;
    const KestranePeak parent = makeParentKestranePeak(parentMz, filterCharge(charge), p.parentTolerance, context.chemistry.groups);
    const auto numOriginalPeaks = static_cast<std::int32_t>(peaks.size());
    return FilterPick{numOriginalPeaks, pickPeaks(std::move(peaks), parent, context.peakPickSettings())};
}

std::optional<SpecFeatures> judgePickedSpectrum(const FilterCandidate& spectrum, std::optional<FilterPick> pick,
                                                const ExtractionContext& context) {
    const std::int32_t z = filterCharge(spectrum.charge);
    // The pick exists exactly when the parent is in range: both ask the same question.
    if (filterParentRange(nominalSinglyChargedMass(spectrum.parentMz, z), spectrum.name, context) != passedFilters ||
        !pick) {
        return std::nullopt;
    }
    PickedPeaks& picked = pick->picked;
    if (filterPeakCount(static_cast<int>(picked.peaks.size()), spectrum.name, context) != passedFilters) {
        return std::nullopt;
    }
    const double tolerance = context.parameters.parentTolerance;
    SpecFeatures features =
        calculateSpecFeatures(picked.peaks, pick->numOriginalPeaks, 0,
                              makeParentKestranePeak(spectrum.parentMz, z, tolerance, context.chemistry.groups),
                              spectrum.chargePending, picked.noise, tolerance,
                              context.instrument.instrument_charges_certain, context.chemistry);
    if (filterSequenceTagLength(features.maxSequenceTagLength, spectrum.name, context) != passedFilters) {
        return std::nullopt;
    }
    return features;
}
