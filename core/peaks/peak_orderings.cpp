#include "core/peaks/peak_orderings.h"

#include <algorithm>

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

// Lambdas rather than function pointers, so that the sorts inline the comparison.
constexpr auto mOverZAscending = [](const KestranePeak& a, const KestranePeak& b) {
    return precedesByMOverZAscending(a, b);
};
constexpr auto mOverZDescending = [](const KestranePeak& a, const KestranePeak& b) {
    return precedesByMOverZDescending(a, b);
};

void sortByMOverZAscending(PeakList& list) { sortOrReverse(list, mOverZAscending, mOverZDescending); }

void sortByMOverZDescending(PeakList& list) { sortOrReverse(list, mOverZDescending, mOverZAscending); }

void sortByMPlusHAscending(PeakList& list) {
    sortUnlessSorted(list, [](const KestranePeak& a, const KestranePeak& b) { return precedesByMPlusHAscending(a, b); });
}
