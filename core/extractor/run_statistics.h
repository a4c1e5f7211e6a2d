#pragma once
// The counters of a run's statistics block in runStats.txt, the same for
// both programs; each program counts its own table.
#include <array>
#include <cstdint>

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

// The block: five counters, a unique and an ambiguous line for each charge
// from 0 to maxCharge (at most 9), then a blank line.
void writeRunStatistics(const RunStatistics& statistics, std::int32_t maxCharge, LogSink& runStats);
