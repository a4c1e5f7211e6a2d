#include "yepharvest/survey_isotope_charges.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

bool ascendingMz(const SpectrumPoints& peaks) {
    return std::is_sorted(peaks.begin(), peaks.end(),
                          [](const SpectrumPoint& a, const SpectrumPoint& b) { return a.mOverZ < b.mOverZ; });
}

// Under "Find" and "Default" a charge of 1 comes only from the fragment
// test; charges 2 and above rest on survey or b/y-pair evidence and stay.
bool openToSurveyIsotopes(const MSscan& scan) {
    return scan.msLevel == 2 && !scan.rejected && (scan.charge == 0 || scan.charge == 1);
}

}  // namespace

std::optional<EnvelopeReading> surveyEnvelope(const RunTable& run, std::int32_t index, std::int32_t maxCharge) {
    const std::optional<std::int32_t> survey = preceedingMSscan(run, index);
    if (!survey) return std::nullopt;
    const SpectrumPoints& peaks = run[*survey].peaks;
    // A survey scan outside the scan range was never put in m/z order.
    if (!ascendingMz(peaks)) return std::nullopt;
    return chargeFromResolvedEnvelope(peaks, run[index].parentMz, kSurveyIsotopePpm, maxCharge);
}

void chargePrecursorsFromSurveyIsotopes(RunTable& run, std::int32_t first, std::int32_t end,
                                        const ExtractionContext& context) {
    const ExtractorParameters& parameters = context.parameters;
    // A fixed charge is the user's own decision.
    if (parameters.chargeMode == ChargeMode::fixed) return;
    LogSink& log = context.getParentChargeCheckStream();
    for (std::int32_t i = first; i < end; ++i) {
        MSscan& scan = run[i];
        if (!openToSurveyIsotopes(scan)) continue;
        const std::optional<EnvelopeReading> reading = surveyEnvelope(run, i, parameters.maxCharge);
        if (!reading) continue;
        log.print("\n%s.%04d\tz= %d (%.1f) from survey isotopes: %d peaks %.4f apart, monoisotopic %.4f, was z = %d",
                  context.runName.c_str(), scan.scanNumber, reading->charge, scan.parentMz, reading->isotopePeaks,
                  kPeptideIsotopeSpacing / reading->charge, reading->monoisotopicMz, scan.charge);
        scan.setCharge(reading->charge, ChargeSource::surveyIsotopes);
        scan.chargePending = false;
    }
}
