#include "core/peaks/peak_filters.h"

#include <algorithm>
#include <cmath>

#include "core/chemistry/amino_acids.h"
#include "core/peaks/peak_orderings.h"

std::size_t removePeaksNearPrecursor(PeakList& list, const KestranePeak& parent, const GroupMasses& masses) {
    const double precursorMz = parent.mOverZ;
    const int z = parent.charge;
    if (z == 1) {
        const double cut = precursorMz - masses.CO2 - 1.0;
        const auto firstDropped =
            std::find_if(list.begin(), list.end(), [cut](const KestranePeak& peak) { return !(peak.mOverZ < cut); });
        list.erase(firstDropped, list.end());
        return list.size();
    }
    // Parents come with a charge of at least 1; anything else leaves the
    // list alone instead of dividing by zero.
    if (z < 1) return list.size();
    const int window = 20 / z;
    const double waterLoss = 2.0 * masses.H2O / z;
    std::erase_if(list, [&](const KestranePeak& peak) {
        const double below = precursorMz - peak.mOverZ;
        return (peak.mOverZ <= precursorMz + 2.5 && below <= window) || std::fabs(below - waterLoss) < 1.5;
    });
    return list.size();
}

std::size_t removePeaksBelowNoise(PeakList& list, int k, const NoiseStatistics& noise) {
    const double threshold = k * noise.noiseStandardDeviation + noise.noiseMean;
    std::erase_if(list, [threshold](const KestranePeak& peak) { return !(peak.intensity > threshold); });
    return list.size();
}

std::size_t keepMostIntensePeaks(PeakList& list, int limit) {
    if (list.empty() || limit < 0 || static_cast<std::size_t>(limit) >= list.size()) {
        // A negative limit keeps nothing, as a limit of 0 does.
        if (limit < 0) list.clear();
        return list.size();
    }
    const auto end = list.begin() + limit;
    std::nth_element(list.begin(), end, list.end(),
                     [](const KestranePeak& a, const KestranePeak& b) { return precedesByIntensityDescending(a, b); });
    list.erase(end, list.end());
    sortByMOverZAscending(list);
    return list.size();
}

std::size_t removePeaksBelowMinFragmentMass(PeakList& list, double minFragmentMass) {
    sortByMOverZAscending(list);
    const auto firstKept = std::find_if(list.begin(), list.end(), [minFragmentMass](const KestranePeak& peak) {
        return peak.mOverZ > minFragmentMass;
    });
    list.erase(list.begin(), firstKept);
    return list.size();
}
