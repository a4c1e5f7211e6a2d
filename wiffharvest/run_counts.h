#pragma once
// The counters of a sample's statistics block, from its finished scan table.
#include <cstdint>

#include "core/extractor/run_statistics.h"
#include "wiffharvest/sciex_ms_scan.h"

RunStatistics countRunStatistics(const ScanTable& table, std::int32_t n);
