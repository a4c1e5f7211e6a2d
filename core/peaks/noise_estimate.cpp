#include "core/peaks/noise_estimate.h"

#include <cmath>
#include <vector>

#include "core/peaks/intensity_statistics.h"
#include "core/util/checked_memory.h"

namespace {
// When no band up to three times the reference holds enough peaks.
constexpr double kFallbackNoiseMean = 6947.0;
constexpr double kFallbackNoiseStandardDeviation = 4769.0;
}  // namespace

NoiseStatistics determineMeanNoise(PeakList& list, int mode) {
    const double reference = mode == 2 ? nthLargestIntensity(list, 2) : maxPeakIntensity(list);
    if (reference < 1.0) return {};

    double upper = reference * 0.030303030303030304;
    const double lower = reference * 0.001;
    const double fraction = mode == 1 ? 0.9 : 0.65;

    std::vector<double> band;
    reserveChecked(band, list.size(), "determineMeanNoise");
    for (;;) {
        band.clear();
        int aboveLower = 0;
        for (const KestranePeak& peak : list) {
            if (peak.intensity > lower) {
                ++aboveLower;
                if (peak.intensity < upper) band.push_back(peak.intensity);
            }
        }
        const double need = std::trunc(aboveLower * fraction) + 2.0;
        if (static_cast<double>(band.size()) > need) {
            const MeanAndDeviation measured = meanAndStandardDeviation(band);
            if (measured.mean != 0.0) return {measured.mean, measured.standardDeviation, measured.variance};
        } else if (reference * 3.0 < upper * 2.0) {
            return {kFallbackNoiseMean, kFallbackNoiseStandardDeviation, 0.0};
        }
        upper *= 2.0;
    }
}
