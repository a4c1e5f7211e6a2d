#include "wiffharvest/sciex_ms_scan.h"

#include <algorithm>

std::int32_t countNonRejectedMSMSspectra(const ScanTable& table, std::int32_t n) {
    return countNonRejectedMSMSspectra(table, 0, n);
}

std::int32_t countNonRejectedMSMSspectra(const ScanTable& table, std::int32_t first, std::int32_t end) {
    const auto from = table.records.begin() + std::clamp(first, 0, table.size());
    const auto to = table.records.begin() + std::clamp(end, 0, table.size());
    if (to <= from) return 0;
    return static_cast<std::int32_t>(std::count_if(from, to, [](const SciexMSscan& scan) { return scan.written(); }));
}
