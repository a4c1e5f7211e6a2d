#include "core/peaks/centroiding.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/peaks/peak_orderings.h"
#include "core/util/checked_memory.h"

namespace {
constexpr const char* kLabel = "centroidByPeakWidthAndHeightPercentage";
}

PeakList centroidByPeakWidthAndHeightPercentage(PeakList list, double width, double heightPercent) {
    if (width < 0.0001 || list.empty()) return list;

    const std::size_t n = list.size();

    // 0: not yet in a cluster; 1: in one; 2: in one, and its apex, holding
    // the cluster's centroid. A cluster's own peaks are the only ones read
    // while it is measured, so its centroid can replace its apex in place.
    std::vector<char> state(n, 0);
    const double halfWidth = width * 0.5;

    // Apexes are visited from the most intense down. The keys are copied next
    // to their positions so that the sort never chases pointers; equal peaks
    // keep their list order.
    struct Ranked {
        double intensity;
        double mOverZ;
        std::size_t position;
    };
    std::vector<Ranked> byIntensity;
    reserveChecked(byIntensity, n, kLabel);

    const auto clusterRun = [&](std::size_t begin, std::size_t end) {
        byIntensity.clear();
        for (std::size_t i = begin; i < end; ++i) byIntensity.push_back({list[i].intensity, list[i].mOverZ, i});
        std::sort(byIntensity.begin(), byIntensity.end(), [](const Ranked& a, const Ranked& b) {
            if (a.intensity != b.intensity) return a.intensity > b.intensity;
            if (a.mOverZ != b.mOverZ) return a.mOverZ < b.mOverZ;
            return a.position < b.position;
        });
        for (const Ranked& ranked : byIntensity) {
            const std::size_t apex = ranked.position;
            if (state[apex] != 0) continue;
            state[apex] = 1;
            const double apexMz = list[apex].mOverZ;
            std::size_t first = apex;
            while (first > 0 && state[first - 1] == 0 && list[first - 1].mOverZ > apexMz - halfWidth) {
                --first;
                state[first] = 1;
            }
            std::size_t last = apex;
            while (last + 1 < n && state[last + 1] == 0 && list[last + 1].mOverZ < apexMz + halfWidth) {
                ++last;
                state[last] = 1;
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
            // A cluster with nothing above its cut-off (an apex of height 0)
            // has no position: it is dropped rather than given m/z 0/0.
            if (!(summedIntensity > 0.0)) continue;
            KestranePeak& centroid = list[apex];
            centroid.mOverZ = weightedMz / summedIntensity;
            centroid.intensity = summedIntensity;
            centroid.charge = 1;
            state[apex] = 2;
        }
    };

    // In a list in m/z order no cluster reaches across a gap of half the
    // width or more, so the runs between such gaps are clustered on their
    // own: the same clusters as one pass over the whole list, without
    // sorting it whole. A list out of order is clustered as one run.
    const bool inMzOrder = std::is_sorted(list.begin(), list.end(), [](const KestranePeak& a, const KestranePeak& b) {
        return a.mOverZ < b.mOverZ;
    });
    if (!inMzOrder) {
        clusterRun(0, n);
    } else {
        std::size_t begin = 0;
        for (std::size_t i = 1; i <= n; ++i) {
            if (i == n || !(list[i].mOverZ - list[i - 1].mOverZ < halfWidth)) {
                clusterRun(begin, i);
                begin = i;
            }
        }
    }

    // Clusters are disjoint runs of the m/z-ordered list, so the centroids
    // come out in m/z order already; the sort only settles exact ties.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (state[i] == 2) list[kept++] = list[i];
    }
    list.resize(kept);
    sortByMOverZAscending(list);
    return list;
}
