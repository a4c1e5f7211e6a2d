#pragma once
// The counters of a run's statistics block in runStats.txt, the same for
// both programs; each program counts its own table.
#include <array>
#include <cstdint>
#include <vector>

#include "core/extractor/log_sink.h"

struct RunStatistics {
    std::int32_t numMSMSscansCollected = 0;
    std::int32_t numMSMSmergedParentScans = 0;
    std::int32_t numOutputFiles = 0;
    std::int32_t numOutputSpectra = 0;
    std::int32_t numMergedParentOutputSpectra = 0;
    std::array<std::int32_t, 10> uniqueCharge{};     // charges 0 to 9
    std::array<std::int32_t, 10> ambiguousCharge{};  // charges 0 to 9

    // Adds one spectrum of charge c: a determined charge to its unique
    // counter, an undetermined one (two or three) to ambiguous charge 2.
    // Charges beyond the counters are not counted.
    void countCharge(std::int32_t charge);
};

// How a program counts one record: as a collected MS/MS spectrum, as merged,
// and, once written, as a merged group.
struct CountedAs {
    bool collected = false;
    bool merged = false;
    bool mergedGroup = false;
};

// The counters over the first `count` records; `countedAs(record)` says
// what each is to the program. A rejected record counts only as collected
// and merged.
template <class Record, class CountedAsOf>
RunStatistics countRunStatistics(const std::vector<Record>& records, std::int32_t count, CountedAsOf countedAs) {
    RunStatistics statistics;
    for (std::int32_t i = 0; i < count; ++i) {
        const Record& scan = records[static_cast<std::size_t>(i)];
        const CountedAs counted = countedAs(scan);
        if (!counted.collected) continue;
        statistics.numMSMSscansCollected += 1;
        if (counted.merged) statistics.numMSMSmergedParentScans += 1;
        if (scan.rejected) continue;
        statistics.numOutputFiles += 1;
        statistics.numOutputSpectra += 1;
        if (counted.mergedGroup) statistics.numMergedParentOutputSpectra += 1;
        statistics.countCharge(scan.charge);
    }
    return statistics;
}

// The block: five counters, a unique and an ambiguous line for each charge
// from 0 to maxCharge (at most 9), then a blank line.
void writeRunStatistics(const RunStatistics& statistics, std::int32_t maxCharge, LogSink& runStats);
