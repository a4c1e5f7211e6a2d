#include "core/peaks/centroiding.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

#include "core/peaks/clone_peaks.h"
#include "core/peaks/peak_orderings.h"
#include "core/util/checked_memory.h"

namespace {
constexpr const char* kLabel = "centroidByPeakWidthAndHeightPercentage";
}

PeakList centroidByPeakWidthAndHeightPercentage(PeakList list, double width, double heightPercent) {
    if (width < 0.0001 || list.empty()) return list;

    const std::size_t n = list.size();
    std::vector<std::size_t> byIntensity(n);
    std::vector<char> consumed(n, 0);
    for (std::size_t i = 0; i < n; ++i) list[i].workIndex = static_cast<std::int32_t>(i);
    std::iota(byIntensity.begin(), byIntensity.end(), std::size_t{0});
    std::sort(byIntensity.begin(), byIntensity.end(),
              [&list](std::size_t a, std::size_t b) { return precedesByIntensityDescending(list[a], list[b]); });

    PeakList centroids;
    reserveChecked(centroids, n, kLabel);
    const double halfWidth = width * 0.5;
    for (const std::size_t apex : byIntensity) {
        if (consumed[apex] != 0) continue;
        consumed[apex] = 1;
        const double apexMz = list[apex].mOverZ;
        std::size_t first = apex;
        while (first > 0 && consumed[first - 1] == 0 && list[first - 1].mOverZ > apexMz - halfWidth) {
            --first;
            consumed[first] = 1;
        }
        std::size_t last = apex;
        while (last + 1 < n && consumed[last + 1] == 0 && list[last + 1].mOverZ < apexMz + halfWidth) {
            ++last;
            consumed[last] = 1;
        }

        const double cutOff = heightPercent * list[apex].intensity * 0.01;
        double summedIntensity = 0.0;
        double weightedMz = 0.0;
        for (std::size_t i = first; i <= last; ++i) {
            if (list[i].intensity > cutOff) {
                summedIntensity += list[i].intensity;
                weightedMz += list[i].mOverZ * list[i].intensity;
            }
        }
        // A cluster with nothing above its cut-off (an apex of height 0) has
        // no position: it is dropped rather than given m/z 0/0.
        if (!(summedIntensity > 0.0)) continue;
        KestranePeak centroid = list[apex];
        centroid.mOverZ = weightedMz / summedIntensity;
        centroid.intensity = summedIntensity;
        centroid.charge = 1;
        centroid.workIndex = 0;
        centroids.push_back(centroid);
    }
    sortByMOverZAscending(centroids);
    return centroids;
}
