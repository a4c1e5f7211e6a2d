#include "core/peaks/peak_picking.h"

#include "core/peaks/centroiding.h"
#include "core/peaks/isotope_merging.h"
#include "core/peaks/noise_estimate.h"
#include "core/peaks/peak_filters.h"

PickedPeaks pickPeaks(PeakList list, const KestranePeak& parent, const PeakPickSettings& settings) {
    const PeakPickParams& params = settings.params;
    const bool chargesCertain = settings.instrumentChargesCertain != 0;
    const bool measureNoise = params.bypassSignalNoiseThresholding == 0;
    const bool deIsotope = params.bypassDeIsotoping == 0;

    if (!chargesCertain) list = centroidByPeakWidthAndHeightPercentage(std::move(list), params.peakBinningTolerance, 50.0);
    removePeaksNearPrecursor(list, parent, settings.masses);
    // One noise estimate, made before de-isotoping, serves both filters.
    NoiseStatistics noise;
    if (measureNoise) noise = determineMeanNoise(list, 2);
    if (chargesCertain) {
        if (measureNoise) removePeaksBelowNoise(list, params.minSignalNoiseRatio / 3, noise);
        if (deIsotope) list = mergeIsotopesWhileAssigningCharge(std::move(list), parent, settings.instrumentChargesCertain,
                                                                     settings.masses);
    } else if (deIsotope) {
        list = mergeIsotopesByLookingLeft(std::move(list));
    }
    if (measureNoise) removePeaksBelowNoise(list, params.minSignalNoiseRatio, noise);
    keepMostIntensePeaks(list, params.peakLimitCount);
    removePeaksBelowMinFragmentMass(list, settings.minFragmentMass);
    return {std::move(list), noise};
}
