#pragma once
// The last stages: filtering with spectrum features, one .pkl file and one
// features row per surviving record, and the run statistics.
#include <array>
#include <cstdint>
#include <string>

#include "yepharvest/ms_scan.h"

struct RunStatistics {
    std::int32_t numMSMSscansCollected = 0;
    std::int32_t numMSMSmergedParentScans = 0;
    std::int32_t numOutputFiles = 0;
    std::int32_t numOutputSpectra = 0;
    std::int32_t numMergedParentOutputSpectra = 0;
    std::array<std::int32_t, 10> uniqueCharge{};     // charges 0 to 9
    std::array<std::int32_t, 10> ambiguousCharge{};  // charges 0 to 9
};

// "<run>.<first scan>.<last scan>.<charge>.pkl", scan numbers zero-padded to four digits.
std::string spectrumName(const std::string& runName, const MSscan& scan);

void filterMSMSspectra();
void processVelmoraLCMSMSrun();
RunStatistics countRunStatistics();
void writeRunStatistics(const RunStatistics& statistics);
