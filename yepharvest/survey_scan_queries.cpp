#include "yepharvest/survey_scan_queries.h"

#include <algorithm>

#include "core/peaks/peak_window.h"

double findMonoisotopicParentPeak(const RunTable& run, double mz, std::int32_t msScanIndex, double tolerance,
                                  std::int32_t minSignalNoiseRatio) {
    const MSscan& scan = run[msScanIndex];
    const SpectrumPoints& peaks = scan.peaks;
    const double threshold = minSignalNoiseRatio * scan.noiseStandardDeviation + scan.noiseMean;
    const auto first = std::lower_bound(peaks.begin(), peaks.end(), mz - 0.05,
                                        [](const SpectrumPoint& peak, double value) { return peak.mOverZ < value; });
    if (first == peaks.end()) return mz;
    double reference = first->intensity;
    double monoisotopic = mz;
    // The scan's first peak is never examined.
    for (auto p = static_cast<std::ptrdiff_t>(first - peaks.begin()); p >= 1; --p) {
        const SpectrumPoint& peak = peaks[static_cast<std::size_t>(p)];
        if (peak.mOverZ < mz - 2.0 * tolerance || peak.mOverZ < monoisotopic - 1.5) break;
        if (peak.intensity > 0.5 * reference && peak.intensity > threshold) {
            monoisotopic = peak.mOverZ;
            reference = peak.intensity;
        }
    }
    return monoisotopic;
}

double parentSignalNoiseInMSscans(const RunTable& run, double mz, std::int32_t index, double tolerance) {
    // A spectrum before the first survey scan has no survey evidence at all.
    const std::optional<std::int32_t> firstSurvey = preceedingMSscan(run, index);
    if (!firstSurvey) return 0.0;
    const std::int32_t last = findIndexOfPreceedingMSscan(run, run[index].lastMergedIndex);
    double best = 0.0;
    for (std::int32_t k = *firstSurvey; k <= last; ++k) {
        const MSscan& scan = run[k];
        if (scan.msLevel != 1) continue;
        const double sum = intensityInWindow(scan.peaks, mz - tolerance, mz + tolerance);
        const double signalNoise = scan.noiseMean != 0.0 ? (sum - scan.noiseMean) / scan.noiseStandardDeviation : 0.0;
        best = std::max(best, signalNoise);
    }
    return best;
}

double parentCentroidInMSscan(const RunTable& run, double mz, std::int32_t msScanIndex, double tolerance,
                              bool monoisotopicParents) {
    const double upper = monoisotopicParents ? mz + 2.0 * tolerance : mz + tolerance;
    const WindowSums sums = sumsInWindow(run[msScanIndex].peaks, mz - tolerance, upper);
    // An empty window is 0/0, not a number: every threshold test on it
    // fails, and the features row prints it as "nan".
    return sums.weightedMz / sums.intensity;
}
