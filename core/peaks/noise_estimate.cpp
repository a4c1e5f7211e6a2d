#include "core/peaks/noise_estimate.h"

#include <array>
#include <cmath>
#include <cstddef>
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

    const double lower = reference * 0.001;
    const double fraction = mode == 1 ? 0.9 : 0.65;
    // The band's upper bound starts at a 33rd of the reference and doubles
    // until the band holds enough peaks, or until it lies beyond one and a
    // half times the reference: its bounds, up to that last one.
    std::array<double, 64> bounds{reference * 0.030303030303030304};
    std::size_t levels = 1;
    while (!(reference * 3.0 < bounds[levels - 1] * 2.0) && levels < bounds.size()) {
        bounds[levels] = bounds[levels - 1] * 2.0;
        ++levels;
    }

    // The intensities above the lower bound, in list order, and how many
    // first fall below each bound: one pass instead of one per doubling.
    std::vector<double> above;
    reserveChecked(above, list.size(), "determineMeanNoise");
    std::array<std::size_t, 65> firstBelow{};
    for (const KestranePeak& peak : list) {
        const double intensity = peak.intensity;
        if (!(intensity > lower)) continue;
        above.push_back(intensity);
        std::size_t b = 0;
        while (b < levels && !(intensity < bounds[b])) ++b;
        ++firstBelow[b];
    }
    const double need = std::trunc(static_cast<double>(above.size()) * fraction) + 2.0;
    std::size_t inBand = 0;
    for (std::size_t b = 0; b < levels; ++b) {
        inBand += firstBelow[b];
        if (static_cast<double>(inBand) > need) {
            std::vector<double> band;
            reserveChecked(band, inBand, "determineMeanNoise");
            for (const double intensity : above) {
                if (intensity < bounds[b]) band.push_back(intensity);
            }
            const MeanAndDeviation measured = meanAndStandardDeviation(band);
            if (measured.mean != 0.0) return {measured.mean, measured.standardDeviation, measured.variance};
        } else if (reference * 3.0 < bounds[b] * 2.0) {
            break;
        }
    }
    return {kFallbackNoiseMean, kFallbackNoiseStandardDeviation, 0.0};
}
