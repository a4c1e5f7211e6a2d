#include "core/peaks/fragment_pairs.h"

#include <cmath>
#include <cstddef>

#include "core/chemistry/amino_acids.h"
#include "core/peaks/peak_orderings.h"

std::int32_t countBYpairs(PeakList& list, const KestranePeak& parent, const GroupMasses& masses) {
    const double pairSum = parent.mPlusH + masses.H;
    const double tolerance = parent.tolerance;
    const double middle = (tolerance + parent.mPlusH) * 0.5;

    sortByMPlusHAscending(list);
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(list.size());
    std::ptrdiff_t upperStart = 0;
    while (upperStart < n && !(list[static_cast<std::size_t>(upperStart)].mPlusH > middle)) ++upperStart;

    // For each low fragment the partner is the highest unused upper fragment
    // within tolerance. The miss (S - high) - low is non-increasing both in
    // the upper fragment's mass and in the low fragment's, so one pointer
    // walking down from the top finds every partner: an upper fragment that
    // is already too heavy for this low fragment is too heavy for every later
    // one.
    std::int32_t pairs = 0;
    std::ptrdiff_t top = n - 1;
    std::ptrdiff_t candidate = top;
    for (std::ptrdiff_t low = 0; low < upperStart; ++low) {
        const double lowMass = list[static_cast<std::size_t>(low)].mPlusH;
        const auto miss = [&](std::ptrdiff_t high) {
            return pairSum - list[static_cast<std::size_t>(high)].mPlusH - lowMass;
        };
        if (candidate > top) candidate = top;
        while (candidate >= upperStart && miss(candidate) < -tolerance) --candidate;
        if (candidate >= upperStart && std::fabs(miss(candidate)) <= tolerance) {
            ++pairs;
            top = candidate - 1;
        }
    }
    sortByMOverZAscending(list);
    return pairs;
}

std::int32_t countChargeReducedPairs(const PeakList& list, const KestranePeak& parent, const GroupMasses& masses) {
    if (parent.charge == 1) return 0;
    const double pairSum = parent.mPlusH + masses.H2;
    const double tolerance = parent.tolerance;
    const double middle = (tolerance + parent.mPlusH) * 0.5;

    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(list.size());
    std::ptrdiff_t stop = 0;
    std::ptrdiff_t lowEnd = 0;  // one past the last scanned peak below 200
    for (; stop < n; ++stop) {
        const double mass = list[static_cast<std::size_t>(stop)].mPlusH;
        if (mass < 200.0) lowEnd = stop + 1;
        if (mass > middle) break;
    }
    const std::ptrdiff_t highest = stop - 1;
    if (highest < lowEnd) return 0;

    std::int32_t pairs = 0;
    std::ptrdiff_t partner = 0;
    for (std::ptrdiff_t doubly = highest; doubly >= lowEnd; --doubly) {
        const double wanted = pairSum - 2.0 * list[static_cast<std::size_t>(doubly)].mPlusH;
        while (partner < n) {
            const double miss = wanted - list[static_cast<std::size_t>(partner)].mPlusH;
            if (miss < -tolerance) break;
            ++partner;
            if (miss <= tolerance) {
                ++pairs;
                break;
            }
        }
    }
    return pairs;
}
