#include "yepharvest/run_counts.h"

RunStatistics countRunStatistics(const RunTable& run) {
    RunStatistics statistics;
    for (const MSscan& scan : run.records) {
        if (scan.msLevel != 2) continue;
        statistics.numMSMSscansCollected += 1;
        if (scan.numMergedScans > 1) statistics.numMSMSmergedParentScans += 1;
        if (scan.rejected != 0) continue;
        statistics.numOutputFiles += 1;
        statistics.numOutputSpectra += 1;
        if (scan.numMergedScans > 1) statistics.numMergedParentOutputSpectra += 1;
        statistics.countCharge(scan.charge);
    }
    return statistics;
}
