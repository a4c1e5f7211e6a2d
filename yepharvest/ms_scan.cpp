#include "yepharvest/ms_scan.h"

#include "core/util/checked_memory.h"

void allocateMSscanMemory(RunTable& run, std::int32_t count) {
    const std::size_t records = count < 0 ? 0 : static_cast<std::size_t>(count);
    std::vector<MSscan> fresh;
    reserveChecked(fresh, records, "allocateMSscanMemory");
    fresh.resize(records);
    run.records = std::move(fresh);
}
