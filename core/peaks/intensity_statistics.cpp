#include "core/peaks/intensity_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <vector>

#include "core/peaks/noise_statistics.h"
#include "core/peaks/peak_orderings.h"

double maxPeakIntensity(const PeakList& list) {
    double largest = 0.0;
    bool allExactlyHundred = true;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const double intensity = list[i].intensity;
        if (i == 0 || intensity > largest) largest = intensity;
        if (intensity != 100.0) allExactlyHundred = false;
    }
    // Lists whose every intensity is 100.0 carry no intensity information.
    if (allExactlyHundred) largest = 0.0;
    setMaxIntensityStatistic(largest);
    return largest;
}

double totalPeakIntensity(const PeakList& list) {
    double total = 0.0;
    for (const KestranePeak& peak : list) total += peak.intensity;
    setTotalIntensityStatistic(total);
    return total;
}

double nthLargestIntensity(PeakList& list, int k) {
    if (k < 0 || list.size() <= static_cast<std::size_t>(k)) return 0.0;
    // The k+1 largest intensities, largest first: one pass, no full sort.
    std::vector<double> largest;
    largest.reserve(static_cast<std::size_t>(k) + 1);
    for (const KestranePeak& peak : list) {
        const double intensity = peak.intensity;
        if (largest.size() == static_cast<std::size_t>(k) + 1) {
            if (!(intensity > largest.back())) continue;
            largest.pop_back();
        }
        largest.insert(std::upper_bound(largest.begin(), largest.end(), intensity, std::greater<double>()),
                       intensity);
    }
    setMaxIntensityStatistic(largest.front());
    sortByMOverZAscending(list);
    return largest.back();
}

int meanAndStandardDeviation(std::span<const double> values, double& mean, double& standardDeviation,
                             double& variance) {
    mean = 0.0;
    standardDeviation = 0.0;
    variance = 0.0;
    if (values.size() < 2) return 0;
    const double count = static_cast<double>(values.size());
    double sum = 0.0;
    for (const double value : values) sum += value;
    mean = sum / count;
    double squares = 0.0;
    for (const double value : values) squares += (value - mean) * (value - mean);
    variance = squares / count;
    standardDeviation = std::sqrt(variance);
    return 0;
}
