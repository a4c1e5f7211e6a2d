#include "yepharvest/ms_scan_preprocessing.h"

#include <algorithm>
#include <optional>

#include "core/peaks/noise_estimate.h"
#include "core/peaks/peak_orderings.h"
#include "core/util/two_cores.h"
#include "yepharvest/survey_scan_queries.h"

namespace {

void prepareSurveyScan(MSscan& scan) {
    PeakList peaks = toKestranePeaks(scan.peaks);
    // The base peak is the first of the intensity order; finding it needs no
    // sort, and a scan read in m/z order needs none either.
    const auto basePeak = std::min_element(peaks.begin(), peaks.end(), precedesByIntensityDescending);
    if (basePeak != peaks.end()) {
        scan.basePeakIntensity = basePeak->intensity;
        scan.basePeakMz = basePeak->mOverZ;
    }
    sortByMOverZAscending(peaks);
    const NoiseStatistics noise = determineMeanNoise(peaks, scan.msLevel);
    scan.noiseMean = noise.noiseMean;
    scan.noiseStandardDeviation = noise.noiseStandardDeviation;
    scan.peaks = toSpectrumPoints(peaks);
}

}  // namespace

void preprocessMSscans(RunTable& run, std::int32_t first, std::int32_t end, const ExtractionContext& context) {
    const ExtractorParameters& parameters = context.parameters;
    // Each survey scan is prepared from itself alone, so both cores prepare
    // them, all before the precursors below read them.
    forEachOnTwoCores(first, end, [&](std::int32_t i) {
        MSscan& scan = run[i];
        if (!scan.rejected && scan.msLevel == 1) prepareSurveyScan(scan);
    });
    for (std::int32_t i = first; i < end; ++i) {
        MSscan& scan = run[i];
        if (scan.rejected || scan.msLevel != 2) continue;
        scan.selectedParentMz = scan.parentMz;
        // A spectrum that no survey scan precedes keeps its precursor as read.
        const std::optional<std::int32_t> survey =
            parameters.findMonoisotopicParent != 0 ? preceedingMSscan(run, i) : std::nullopt;
        if (survey) {
            scan.parentMz = findMonoisotopicParentPeak(run, scan.parentMz, *survey, parameters.parentTolerance,
                                                       parameters.minSignalNoiseRatio);
        }
    }
}
