#include "core/peaks/peak_list_merging.h"

#include <algorithm>
#include <iterator>

#include "core/peaks/centroiding.h"
#include "core/peaks/da_binning.h"
#include "core/peaks/peak_orderings.h"
#include "core/util/checked_memory.h"

namespace {
constexpr double kMergeBinWidth = 0.25;

PeakList unionInMOverZOrder(const PeakList& listA, const PeakList& listB) {
    PeakList merged;
    reserveChecked(merged, listA.size() + listB.size(), "mergeKestranePeaks");
    // Lists already in m/z order merge in one pass. A merged list in strict
    // order is the only order of its peaks, whatever the lists were; peaks
    // of equal m/z and intensity (in either list) take the sort's order.
    std::merge(listA.begin(), listA.end(), listB.begin(), listB.end(), std::back_inserter(merged),
               precedesByMOverZAscending);
    if (std::adjacent_find(merged.begin(), merged.end(), [](const KestranePeak& a, const KestranePeak& b) {
            return !precedesByMOverZAscending(a, b);
        }) != merged.end()) {
        merged.clear();
        merged.insert(merged.end(), listA.begin(), listA.end());
        merged.insert(merged.end(), listB.begin(), listB.end());
        sortByMOverZAscending(merged);
    }
    for (KestranePeak& peak : merged) peak.mPlusH = peak.mOverZ;
    return merged;
}
}  // namespace

PeakList mergeKestranePeaks(const PeakList& listA, const PeakList& listB) {
    return binPeaksByUserDaTolerance(unionInMOverZOrder(listA, listB), kMergeBinWidth);
}

PeakList mergeKestranePeaksByCentroiding(const PeakList& listA, const PeakList& listB, double width,
                                         double heightPercent) {
    return centroidByPeakWidthAndHeightPercentage(unionInMOverZOrder(listA, listB), width, heightPercent);
}
