#include "wiffharvest/isotope_spacing_charges.h"

#include <optional>

#include "core/extractor/survey_scans.h"
#include "core/peaks/fragment_charge.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_picking.h"

namespace {

constexpr double kPrecursorHalfWindow = 0.15;  // where the 12C peak may lie around the precursor m/z
constexpr double kIsotopeReach = 1.2;          // how far above the precursor a 13C peak may lie
constexpr std::int32_t kMaxSpacingCharge = 10;
constexpr std::int32_t kFragmentTestCharge = 2;

// A singly charged reading is believed only when at most two picked
// fragments lie more than 3 above the precursor.
bool fragmentsAllowChargeOne(const SciexMSscan& scan, const ExtractionContext& context) {
    const KestranePeak parent =
        makeParentKestranePeak(scan.parentMz, kFragmentTestCharge, context.parameters.parentTolerance,
                               context.chemistry.groups);
    const PickedPeaks picked = pickPeaks(scan.fragmentPeaks, parent, context.peakPickSettings());
    return chargeFromFragmentsAbovePrecursor(picked.peaks, parent) == 1;
}

std::int32_t chargeFromSurveyIsotopes(const SciexMSscan& scan, const SciexMSscan& survey,
                                      const ExtractionContext& context) {
    LogSink& log = context.getParentChargeCheckStream();
    const double mz = scan.parentMz;
    const double low = mz - kPrecursorHalfWindow;
    const double high = mz + kPrecursorHalfWindow;
    const double reach = mz + kIsotopeReach;
    const SpectrumPoints& peaks = survey.peaks;
    for (std::size_t a = 0; a < peaks.size(); ++a) {
        const SpectrumPoint& light = peaks[a];
        if (light.mOverZ < low) continue;
        if (light.mOverZ > high) break;
        for (std::size_t b = a + 1; b < peaks.size() && peaks[b].mOverZ <= reach; ++b) {
            const SpectrumPoint& heavy = peaks[b];
            if (!(0.5 * heavy.intensity < light.intensity && 0.25 * light.intensity < heavy.intensity)) continue;
            const std::int32_t z = chargeFromIsotopeSpacing(light.mOverZ, heavy.mOverZ, kMaxSpacingCharge);
            if (z == 0) continue;
            log.print("\n%s.%04.0f.%04d\tcharge: %d assigned from delta m/z: %0.4f between 12C: %0.4f and 13C: %0.4f",
                      context.runName.c_str(), static_cast<double>(scan.scanTime), scan.scanNumber, z,
                      heavy.mOverZ - light.mOverZ, light.mOverZ, heavy.mOverZ);
            if (z != 1 || fragmentsAllowChargeOne(scan, context)) return z;
            log.print("\n%s.%04.0f.%04d\tcharge: 0 charge 1 isotope spacing assignment reversed due to presence of "
                      "fragment ions above precursor mass",
                      context.runName.c_str(), static_cast<double>(scan.scanTime), scan.scanNumber);
            break;  // the next 12C candidate may still show another charge
        }
    }
    return 0;
}

}  // namespace

void assignChargesFromIsotopeSpacing(ScanTable& table, std::int32_t first, std::int32_t end,
                                     const ExtractionContext& context) {
    for (std::int32_t i = first; i < end; ++i) {
        SciexMSscan& scan = table[i];
        if (scan.msLevel == 1 || scan.rejected || !scan.chargePending) continue;
        // Sciex exports often hold no survey scan before the first MS/MS
        // spectra: such a spectrum keeps its charge open instead of ending
        // the run.
        const std::optional<std::int32_t> survey = preceedingMSscan(table.records, i);
        if (!survey) continue;
        const std::int32_t z = chargeFromSurveyIsotopes(scan, table[*survey], context);
        scan.setCharge(z, ChargeSource::isotopeSpacing);
        if (z != 0) scan.chargePending = false;
    }
}
