#include "wiffharvest/sciex_ms_scan.h"

#include <algorithm>

std::int32_t countNonRejectedMSMSspectra(const ScanTable& table, std::int32_t n) {
    const auto end = table.records.begin() + std::clamp(n, 0, table.size());
    return static_cast<std::int32_t>(
        std::count_if(table.records.begin(), end, [](const SciexMSscan& scan) { return scan.written(); }));
}
