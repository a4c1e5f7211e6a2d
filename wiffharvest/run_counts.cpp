#include "wiffharvest/run_counts.h"

RunStatistics countRunStatistics(const ScanTable& table, std::int32_t n) {
    RunStatistics statistics;
    for (std::int32_t i = 0; i < n; ++i) {
        const SciexMSscan& scan = table.records[static_cast<std::size_t>(i)];
        if (scan.msLevel != 2 || scan.rawPointCount <= 1) continue;
        statistics.numMSMSscansCollected += 1;
        // Counts the spectra merged into others; merged groups as such are
        // not counted here (numMergedParentOutputSpectra stays 0).
        if (scan.mergedAway == 1) statistics.numMSMSmergedParentScans += 1;
        if (scan.rejected != 0) continue;
        statistics.numOutputFiles += 1;
        statistics.numOutputSpectra += 1;
        statistics.countCharge(scan.charge);
    }
    return statistics;
}
