#pragma once
// The run table: one MSscan record per spectrum of the run, survey scans and
// MS/MS spectra alike (record_table.h).
#include <cstdint>
#include <optional>
#include <vector>

#include "core/extractor/record_table.h"
#include "core/extractor/spectrum_record.h"
#include "core/extractor/survey_scans.h"

struct MSscan : SpectrumRecord {
    std::int32_t lastMergedIndex = 0;
    std::int32_t numMergedScans = 0;  // reported as numScansAfterParent
    double parentMzCentroid = 0.0;
    double basePeakIntensity = 0.0;
    double basePeakMz = 0.0;
    double noiseMean = 0.0;
    double noiseStandardDeviation = 0.0;
    double parentSignalNoise = 0.0;
    double retentionSeconds = -1.0;  // scan start time; negative when the run gives none
};

using RunTable = RecordTable<MSscan>;

// `count` zeroed records; running out of memory ends the process.
void allocateMSscanMemory(RunTable& run, std::int32_t count);

// The survey-scan searches of the scan tables, on the run table: the greatest
// index <= `index` that is an MS scan (the record itself counts), nothing or,
// in the fatal form, the end of the process when there is none.
inline std::int32_t findIndexOfPreceedingMSscan(const RunTable& run, std::int32_t index) {
    return findIndexOfPreceedingMSscan(run.records, index);
}
inline std::optional<std::int32_t> preceedingMSscan(const RunTable& run, std::int32_t index) {
    return preceedingMSscan(run.records, index);
}
