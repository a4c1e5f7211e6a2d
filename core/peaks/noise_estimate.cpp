#include "core/peaks/noise_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
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

    // The intensities above the lower bound, in list order; a band is those
    // of them below its upper bound.
    std::vector<double> above;
    reserveChecked(above, list.size(), "determineMeanNoise");
    for (const KestranePeak& peak : list) {
        if (peak.intensity > lower) above.push_back(peak.intensity);
    }
    const double need = std::trunc(static_cast<double>(above.size()) * fraction) + 2.0;
    // A band holds more than `need` intensities once its upper bound lies
    // above the (need + 1)-th smallest of them: found once, instead of
    // counting the band anew at each doubling of the bound.
    std::optional<double> enough;
    if (static_cast<double>(above.size()) > need) {
        std::vector<double> ordered;
        reserveChecked(ordered, above.size(), "determineMeanNoise");
        ordered.assign(above.begin(), above.end());
        const auto at = ordered.begin() + static_cast<std::ptrdiff_t>(need);
        std::nth_element(ordered.begin(), at, ordered.end());
        enough = *at;
    }
    std::vector<double> band;
    reserveChecked(band, above.size(), "determineMeanNoise");
    for (;;) {
        if (enough && *enough < upper) {
            band.clear();
            for (const double intensity : above) {
                if (intensity < upper) band.push_back(intensity);
            }
            const MeanAndDeviation measured = meanAndStandardDeviation(band);
            if (measured.mean != 0.0) return {measured.mean, measured.standardDeviation, measured.variance};
        } else if (reference * 3.0 < upper * 2.0) {
            return {kFallbackNoiseMean, kFallbackNoiseStandardDeviation, 0.0};
        }
        upper *= 2.0;
    }
}
