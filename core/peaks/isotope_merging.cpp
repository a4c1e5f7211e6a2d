#include "core/peaks/isotope_merging.h"

#include <cstddef>
#include <vector>

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/ion_masses.h"
#include "core/peaks/fragment_charge.h"
#include "core/peaks/peak_orderings.h"
#include "core/util/checked_memory.h"

namespace {
constexpr double kIsotopeWindow = 1.5;
constexpr double kMergeFloor = 300.0;

// Moves the kept peaks (list in descending m/z) to the front and returns the
// list in ascending m/z.
PeakList keepOnly(PeakList list, const std::vector<char>& keep) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (keep[i] != 0) list[kept++] = list[i];
    }
    list.resize(kept);
    sortByMOverZAscending(list);
    return list;
}
}  // namespace

PeakList mergeIsotopesByLookingLeft(PeakList list) {
    sortByMOverZDescending(list);
    const std::size_t n = list.size();
    std::vector<char> keep(n, 1);
    for (std::size_t i = 0; i < n; ++i) {
        const KestranePeak& higher = list[i];
        for (std::size_t j = i + 1; j < n && list[j].mOverZ >= higher.mOverZ - kIsotopeWindow; ++j) {
            if (list[j].intensity > 0.5 * higher.intensity) {
                list[j].intensity = higher.intensity + list[j].intensity;
                keep[i] = 0;
                break;
            }
        }
    }
    return keepOnly(std::move(list), keep);
}

PeakList mergeIsotopesWhileAssigningCharge(PeakList list, const KestranePeak& parent,
                                           std::int32_t instrumentChargesCertain, const GroupMasses& masses) {
    const double limit = parent.mPlusH + kIsotopeWindow;
    const bool dropIsolatedPeaks = !(instrumentChargesCertain > 1);
    const double hydrogen = masses.H;

    sortByMOverZDescending(list);
    const std::size_t n = list.size();
    std::vector<double> summed(n);
    std::vector<int> merges(n, 0);
    std::vector<char> keep(n, 0);
    for (std::size_t i = 0; i < n; ++i) summed[i] = list[i].intensity;

    for (std::size_t i = 0; i < n; ++i) {
        const KestranePeak& higher = list[i];
        bool mergedAway = false;
        for (std::size_t j = i + 1; j < n; ++j) {
            KestranePeak& lower = list[j];
            if (lower.mOverZ < kMergeFloor || lower.mOverZ < higher.mOverZ - kIsotopeWindow) break;
            if (!(lower.intensity > 0.5 * higher.intensity && 0.1 * lower.intensity < higher.intensity)) continue;
            const std::int32_t z = chargeFromIsotopeSpacing(lower.mOverZ, higher.mOverZ, parent.charge);
            if (z <= 0) continue;
            if (!(singlyChargedMass(lower.mOverZ, z, hydrogen) < limit)) continue;
            // A monoisotopic peak takes only so many isotopes.
            if ((lower.mOverZ < 1000.0 && merges[j] > 1) || (lower.mOverZ < 2500.0 && merges[j] > 2)) break;
            lower.charge = z;
            summed[j] += summed[i];
            merges[j] += 1;
            mergedAway = true;
            break;
        }
        if (mergedAway) continue;
        if (higher.mOverZ < kMergeFloor || !dropIsolatedPeaks || summed[i] > higher.intensity) {
            keep[i] = 1;
            list[i].intensity = summed[i];
        }
    }
    return keepOnly(std::move(list), keep);
}
