#include "yepharvest/ms_scan.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/util/checked_memory.h"
#include "core/util/html_page.h"

void allocateMSscanMemory(RunTable& run, std::int32_t count) {
    const std::size_t records = count < 0 ? 0 : static_cast<std::size_t>(count);
    std::vector<MSscan> fresh;
    reserveChecked(fresh, records, "allocateMSscanMemory");
    fresh.resize(records);
    run.records = std::move(fresh);
}

std::optional<std::int32_t> preceedingMSscan(const RunTable& run, std::int32_t index) {
    for (std::int32_t i = std::min(index, run.numScans() - 1); i >= 0; --i) {
        if (run[i].msLevel == 1) return i;
    }
    return std::nullopt;
}

std::int32_t findIndexOfPreceedingMSscan(const RunTable& run, std::int32_t index) {
    if (const std::optional<std::int32_t> found = preceedingMSscan(run, index)) return *found;
    std::fprintf(getHtmlStream(), "\n<BR>Error: spectrumIndex < 0 in function: findIndexOfPreceedingMSscan");
    std::fflush(getHtmlStream());
    std::exit(1);
}
