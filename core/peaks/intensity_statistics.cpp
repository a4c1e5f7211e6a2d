#include "core/peaks/intensity_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <vector>

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
    return allExactlyHundred ? 0.0 : largest;
}

double totalPeakIntensity(const PeakList& list) {
    double total = 0.0;
    for (const KestranePeak& peak : list) total += peak.intensity;
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
    sortByMOverZAscending(list);
    return largest.back();
}

MeanAndDeviation meanAndStandardDeviation(std::span<const double> values) {
    MeanAndDeviation result;
    if (values.size() < 2) return result;
    const double count = static_cast<double>(values.size());
    double sum = 0.0;
    for (const double value : values) sum += value;
    result.mean = sum / count;
    double squares = 0.0;
    for (const double value : values) squares += (value - result.mean) * (value - result.mean);
    result.variance = squares / count;
    result.standardDeviation = std::sqrt(result.variance);
    return result;
}
