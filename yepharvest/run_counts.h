#pragma once
// The counters of the run's statistics block, from the finished run table.
#include "core/extractor/run_statistics.h"
#include "yepharvest/ms_scan.h"

RunStatistics countRunStatistics(const RunTable& run);
