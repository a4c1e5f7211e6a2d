#include "core/peaks/peak_list_merging.h"

#include "core/peaks/centroiding.h"
#include "core/peaks/da_binning.h"
#include "core/peaks/peak_orderings.h"
#include "core/util/checked_memory.h"

namespace {
constexpr double kMergeBinWidth = 0.25;

PeakList unionInMOverZOrder(const PeakList& listA, const PeakList& listB) {
    PeakList merged;
    reserveChecked(merged, listA.size() + listB.size(), "mergeKestranePeaks");
    for (const PeakList* source : {&listA, &listB}) {
        for (const KestranePeak& peak : *source) {
            merged.push_back(peak);
            merged.back().mPlusH = peak.mOverZ;
        }
    }
    sortByMOverZAscending(merged);
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
