#include "core/peaks/peak_orderings.h"

#include <algorithm>

bool precedesByMOverZAscending(const KestranePeak& a, const KestranePeak& b) {
    if (a.mOverZ != b.mOverZ) return a.mOverZ < b.mOverZ;
    return a.intensity > b.intensity;
}

bool precedesByMOverZDescending(const KestranePeak& a, const KestranePeak& b) {
    return precedesByMOverZAscending(b, a);
}

bool precedesByIntensityDescending(const KestranePeak& a, const KestranePeak& b) {
    if (a.intensity != b.intensity) return a.intensity > b.intensity;
    return a.mOverZ < b.mOverZ;
}

bool precedesByMPlusHAscending(const KestranePeak& a, const KestranePeak& b) {
    if (a.mPlusH != b.mPlusH) return a.mPlusH < b.mPlusH;
    return a.mOverZ < b.mOverZ;
}

namespace {

template <class Order>
void sortUnlessSorted(PeakList& list, Order order) {
    if (!std::is_sorted(list.begin(), list.end(), order)) std::sort(list.begin(), list.end(), order);
}

template <class Order, class Opposite>
void sortOrReverse(PeakList& list, Order order, Opposite opposite) {
    if (std::is_sorted(list.begin(), list.end(), order)) return;
    if (std::is_sorted(list.begin(), list.end(), opposite)) {
        std::reverse(list.begin(), list.end());
        return;
    }
    std::sort(list.begin(), list.end(), order);
}

}  // namespace

void sortByMOverZAscending(PeakList& list) {
    sortOrReverse(list, precedesByMOverZAscending, precedesByMOverZDescending);
}

void sortByMOverZDescending(PeakList& list) {
    sortOrReverse(list, precedesByMOverZDescending, precedesByMOverZAscending);
}

void sortByIntensityDescending(PeakList& list) { sortUnlessSorted(list, precedesByIntensityDescending); }

void sortByMPlusHAscending(PeakList& list) { sortUnlessSorted(list, precedesByMPlusHAscending); }
