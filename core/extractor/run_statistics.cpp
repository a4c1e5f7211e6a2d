#include "core/extractor/run_statistics.h"

#include <algorithm>
#include <cstddef>

namespace {
constexpr int chargeCounters = 10;
}

void RunStatistics::countCharge(std::int32_t charge) {
    if (charge >= 1 && charge < chargeCounters) uniqueCharge[static_cast<std::size_t>(charge)] += 1;
    if (charge == 0) ambiguousCharge[2] += 1;
}

void writeRunStatistics(const RunStatistics& statistics, std::int32_t maxCharge, LogSink& out) {
    out.print("numMSMSscansCollected\t%d\n", statistics.numMSMSscansCollected);
    out.print("numMSMSmergedParentScans\t%d\n", statistics.numMSMSmergedParentScans);
    out.print("numOutputFiles\t%d\n", statistics.numOutputFiles);
    out.print("numOutputSpectra\t%d\n", statistics.numOutputSpectra);
    out.print("numMergedParentOutputSpectra\t%d\n", statistics.numMergedParentOutputSpectra);
    const int highest = std::min(maxCharge, chargeCounters - 1);
    for (int c = 0; c <= highest; ++c) {
        out.print("numUniqueChargeSpectra %d\t%d\n", c, statistics.uniqueCharge[static_cast<std::size_t>(c)]);
    }
    for (int c = 0; c <= highest; ++c) {
        out.print("numAmbiguousChargeSpectra %d\t%d\n", c, statistics.ambiguousCharge[static_cast<std::size_t>(c)]);
    }
    out.print("\n");
}
