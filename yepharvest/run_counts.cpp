#include "yepharvest/run_counts.h"

RunStatistics countRunStatistics(const RunTable& run) {
    // A merged group counts as merged, and once written as a merged group.
    return countRunStatistics(run.records, run.size(), [](const MSscan& scan) {
        const bool merged = scan.numMergedScans > 1;
        return CountedAs{scan.msLevel == 2, merged, merged};
    });
}
