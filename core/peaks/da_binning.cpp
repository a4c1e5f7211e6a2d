#include "core/peaks/da_binning.h"

#include <cmath>
#include <cstddef>

#include "core/peaks/peak_orderings.h"

PeakList binPeaksByUserDaTolerance(PeakList list, double tolerance) {
    if (tolerance < 0.0001 || list.empty()) return list;

    // Bins are written over the front of the list: a bin never ends before
    // the slot it is written to.
    const std::size_t n = list.size();
    std::size_t kept = 0;
    std::size_t first = 0;
    while (first < n) {
        std::size_t last = first;
        while (last + 1 < n && std::fabs(list[last + 1].mOverZ - list[last].mOverZ) <= tolerance) ++last;
        if (last == first) {
            list[kept++] = list[first];
        } else {
            std::size_t strongest = first;
            double summedIntensity = 0.0;
            for (std::size_t i = first; i <= last; ++i) {
                summedIntensity += list[i].intensity;
                if (precedesByIntensityDescending(list[i], list[strongest])) strongest = i;
            }
            KestranePeak binned = list[strongest];
            binned.intensity = summedIntensity;
            list[kept++] = binned;
        }
        first = last + 1;
    }
    list.resize(kept);
    return list;
}
