#include "core/peaks/peak_picking.h"

#include "core/extractor/instrument_specifics.h"
#include "core/peaks/centroiding.h"
#include "core/peaks/isotope_merging.h"
#include "core/peaks/noise_estimate.h"
#include "core/peaks/noise_statistics.h"
#include "core/peaks/peak_filters.h"
#include "core/peaks/peak_pick_params.h"

PeakList pickPeaks(PeakList list, const KestranePeak& parent) {
    const PeakPickParams params = get_PeakPickParams();
    const bool chargesCertain = instrumentChargesCertain() != 0;
    const bool measureNoise = params.bypassSignalNoiseThresholding == 0;
    const bool deIsotope = params.bypassDeIsotoping == 0;

    if (!chargesCertain) list = centroidByPeakWidthAndHeightPercentage(std::move(list), params.peakBinningTolerance, 50.0);
    removePeaksNearPrecursor(list, parent);
    setNoiseLevel(0.0, 0.0, 0.0);
    // One noise estimate, made before de-isotoping, serves both filters.
    if (measureNoise) determineMeanNoise(list, 2);
    if (chargesCertain) {
        if (measureNoise) removePeaksBelowNoise(list, params.minSignalNoiseRatio / 3);
        if (deIsotope) list = mergeIsotopesWhileAssigningCharge(std::move(list), parent);
    } else if (deIsotope) {
        list = mergeIsotopesByLookingLeft(std::move(list));
    }
    if (measureNoise) removePeaksBelowNoise(list, params.minSignalNoiseRatio);
    keepMostIntensePeaks(list, params.peakLimitCount);
    removePeaksBelowMinFragmentMass(list);
    return list;
}
