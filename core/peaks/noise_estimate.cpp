#include "core/peaks/noise_estimate.h"

#include <cmath>
#include <vector>

#include "core/peaks/intensity_statistics.h"
#include "core/peaks/noise_statistics.h"
#include "core/util/checked_memory.h"

namespace {
// When no band up to three times the reference holds enough peaks.
constexpr double kFallbackNoiseMean = 6947.0;
constexpr double kFallbackNoiseStandardDeviation = 4769.0;
}  // namespace

double determineMeanNoise(PeakList& list, int mode) {
    const double reference = mode == 2 ? nthLargestIntensity(list, 2) : maxPeakIntensity(list);
    if (reference < 1.0) return 0.0;

    double upper = reference * 0.030303030303030304;
    const double lower = reference * 0.001;
    const double fraction = mode == 1 ? 0.9 : 0.65;

    std::vector<double> band;
    reserveChecked(band, list.size(), "determineMeanNoise");
    for (;;) {
        setNoiseLevel(0.0, 0.0, 0.0);
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
            double mean = 0.0;
            double standardDeviation = 0.0;
            double variance = 0.0;
            meanAndStandardDeviation(band, mean, standardDeviation, variance);
            setNoiseLevel(mean, standardDeviation, variance);
            if (mean != 0.0) break;
            upper *= 2.0;
        } else {
            upper *= 2.0;
            if (reference * 3.0 < upper) {
                setNoiseLevel(kFallbackNoiseMean, kFallbackNoiseStandardDeviation, 0.0);
                break;
            }
        }
    }
    return noiseStatistics().noiseMean;
}
