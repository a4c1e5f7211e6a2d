#include "core/peaks/da_binning.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "core/peaks/peak_orderings.h"

PeakList binPeaksByUserDaTolerance(PeakList list, double tolerance) {
    if (tolerance < 0.0001 || list.empty()) return list;

    // Bins are written over the front of the list: a bin never ends before
    // the slot it is written to.
    const std::size_t n = list.size();
    std::size_t kept = 0;
    std::size_t first = 0;
    std::vector<KestranePeak> members;
    while (first < n) {
        std::size_t last = first;
        while (last + 1 < n && std::fabs(list[last + 1].mOverZ - list[last].mOverZ) <= tolerance) ++last;
        if (last == first) {
            list[kept++] = list[first];
        } else {
            // The sum runs from the most intense member down: in floating
            // point the order shows in the last bit, and so in a printed count.
            members.assign(list.begin() + static_cast<std::ptrdiff_t>(first),
                           list.begin() + static_cast<std::ptrdiff_t>(last) + 1);
            std::sort(members.begin(), members.end(), precedesByIntensityDescending);
            double summedIntensity = 0.0;
            for (const KestranePeak& member : members) summedIntensity += member.intensity;
            KestranePeak binned = members.front();
            binned.intensity = summedIntensity;
            list[kept++] = binned;
        }
        first = last + 1;
    }
    list.resize(kept);
    return list;
}
