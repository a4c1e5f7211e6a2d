#include "wiffharvest/run_counts.h"

RunStatistics countRunStatistics(const ScanTable& table, std::int32_t n) {
    // Counts the spectra merged into others; merged groups as such are not
    // counted (numMergedParentOutputSpectra stays 0), nor spectra of fewer
    // than two points.
    return countRunStatistics(table.records, n, [](const SciexMSscan& scan) {
        return CountedAs{scan.msLevel == 2 && scan.rawPointCount > 1, scan.mergedAway, false};
    });
}
