#pragma once
// Reads a .wiff file through the Analyst object model: its samples and
// instrument once, then one sample at a time into the scan table, with the
// skipped-scan report of every period. Object-model failures are raised as
// ComError and caught by the driver.
#include <cstdint>
#include <string>

#include "core/extractor/extraction_context.h"
#include "wiffharvest/sciex_instrument.h"
#include "wiffharvest/sciex_ms_scan.h"

// The number of samples; the sample lines go to runStats.txt and the
// instrument type (from the first sample's model code) to `instrument`.
std::int32_t openWiffFile(const std::string& path, const ExtractionContext& context, SciexInstrument& instrument);

// Sample `sample` (1-based) into `table`; returns n, the number of records
// stored, and sets noMSscans when no level-1 scan was taken.
std::int32_t readSciexScansIntoMemory(const std::string& path, std::int32_t sample, ScanTable& table,
                                      const ExtractionContext& context, const SciexInstrument& instrument);
