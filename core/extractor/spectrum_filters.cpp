#include "core/extractor/spectrum_filters.h"

#include "core/chemistry/ion_masses.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_picking.h"
#include "core/util/format_text.h"
#include "core/util/printable_real.h"

namespace {

bool parentInRange(double parentMPlusH, const ExtractorParameters& p) {
    return p.lowParent <= parentMPlusH && parentMPlusH <= p.highParent;
}

// Each test gives the reason of its refusal, or nothing when it passes.
std::optional<std::string> parentRangeRefusal(double parentMPlusH, const ExtractorParameters& p) {
    if (parentInRange(parentMPlusH, p)) return std::nullopt;
    return formatText("%.2f outside range %0.1f - %0.1f", printableReal(parentMPlusH), p.lowParent, p.highParent);
}

std::optional<std::string> sequenceTagRefusal(int longestTagLength, int threshold) {
    if (longestTagLength > threshold) return std::nullopt;
    return formatText("maxSequenceTagLength: %d <= %d specified", longestTagLength, threshold);
}

std::optional<std::string> peakCountRefusal(int pickedPeakCount) {
    if (pickedPeakCount >= 4) return std::nullopt;
    return std::string("< 4 peaks after picking");
}

int reject(const std::string& spectrumName, const std::string& reason, int code, const ExtractionContext& context) {
    context.getRejectReasonsStream().print("\n%s\t0\t%s", spectrumName.c_str(), reason.c_str());
    return code;
}

// The outcome of the three tests at one charge.
struct ChargeVerdict {
    std::optional<SpecFeatures> features;
    std::string refusal;  // when there are no features
};

ChargeVerdict judgeAtCharge(const FilterCandidate& spectrum, std::int32_t z, std::optional<FilterPick> pick,
                            const ExtractionContext& context) {
    const ExtractorParameters& p = context.parameters;
    if (std::optional<std::string> refusal = parentRangeRefusal(nominalSinglyChargedMass(spectrum.parentMz, z), p)) {
        return {std::nullopt, std::move(*refusal)};
    }
    // The pick exists exactly when the parent is in range: both ask the same question.
    if (!pick) return {std::nullopt, "no pick"};
    PickedPeaks& picked = pick->picked;
    if (std::optional<std::string> refusal = peakCountRefusal(static_cast<int>(picked.peaks.size()))) {
        return {std::nullopt, std::move(*refusal)};
    }
    const double tolerance = p.parentTolerance;
    SpecFeatures features =
        calculateSpecFeatures(picked.peaks, pick->numOriginalPeaks, 0,
                              makeParentKestranePeak(spectrum.parentMz, z, tolerance, context.chemistry.groups),
                              spectrum.chargePending, picked.noise, tolerance,
                              context.instrument.instrument_charges_certain, context.chemistry);
    if (std::optional<std::string> refusal = sequenceTagRefusal(features.maxSequenceTagLength, p.maxSequenceTagLength)) {
        return {std::nullopt, std::move(*refusal)};
    }
    return {std::move(features), {}};
}

}  // namespace

int filterParentRange(double parentMPlusH, const std::string& spectrumName, const ExtractionContext& context) {
    const std::optional<std::string> refusal = parentRangeRefusal(parentMPlusH, context.parameters);
    return refusal ? reject(spectrumName, *refusal, parentOutsideRange, context) : passedFilters;
}

int filterSequenceTagLength(int longestTagLength, const std::string& spectrumName, const ExtractionContext& context) {
    const std::optional<std::string> refusal =
        sequenceTagRefusal(longestTagLength, context.parameters.maxSequenceTagLength);
    return refusal ? reject(spectrumName, *refusal, sequenceTagTooShort, context) : passedFilters;
}

int filterPeakCount(int pickedPeakCount, const std::string& spectrumName, const ExtractionContext& context) {
    const std::optional<std::string> refusal = peakCountRefusal(pickedPeakCount);
    return refusal ? reject(spectrumName, *refusal, tooFewPeaks, context) : passedFilters;
}

std::vector<std::int32_t> filterCharges(std::int32_t charge, bool openCharge, std::int32_t maxCharge) {
    const std::int32_t decided = charge != 0 ? charge : 2;
    std::vector<std::int32_t> charges = {decided};
    if (!openCharge) return charges;
    // Comet, without a charge, tries 1+ or 2+ and 3+; other engines 1+ to 3+.
    for (std::int32_t z = 1; z <= 3 && z <= maxCharge; ++z) {
        if (z != decided) charges.push_back(z);
    }
    return charges;
}

bool judgedAtOpenCharges(std::int32_t charge, ChargeSource source, const ExtractionContext& context) {
    return context.parameters.filterOpenCharges != 0 &&
           statedCharge(charge, source, context.instrument.instrument_charges_certain) == 0;
}

std::optional<FilterPick> pickForFilters(double parentMz, std::int32_t charge, PeakList peaks,
                                         const ExtractionContext& context) {
    const ExtractorParameters& p = context.parameters;
    if (!parentInRange(nominalSinglyChargedMass(parentMz, charge), p)) return std::nullopt;
    const KestranePeak parent = makeParentKestranePeak(parentMz, charge, p.parentTolerance, context.chemistry.groups);
    const auto numOriginalPeaks = static_cast<std::int32_t>(peaks.size());
    return FilterPick{numOriginalPeaks, pickPeaks(std::move(peaks), parent, context.peakPickSettings())};
}

std::optional<SpecFeatures> judgePickedSpectrum(const FilterCandidate& spectrum, std::optional<FilterPick> pick,
                                                const PickAtCharge& pickAt, const ExtractionContext& context) {
    const std::vector<std::int32_t> charges =
        filterCharges(spectrum.charge, spectrum.openCharge, context.parameters.maxCharge);
    std::string refusals;
    for (std::size_t i = 0; i < charges.size(); ++i) {
        const std::int32_t z = charges[i];
        ChargeVerdict verdict = judgeAtCharge(spectrum, z, i == 0 ? std::move(pick) : pickAt(z), context);
        if (verdict.features) return verdict.features;
        if (charges.size() == 1) {
            reject(spectrum.name, verdict.refusal, 0, context);
            return std::nullopt;
        }
        refusals += formatText("%s%d+: %s", refusals.empty() ? "" : "; ", z, verdict.refusal.c_str());
    }
    reject(spectrum.name, refusals, 0, context);
    return std::nullopt;
}
