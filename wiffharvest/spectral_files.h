#pragma once
// One .pkl file and one spectrum-features row per surviving MS/MS record of
// a sample.
#include <cstdint>

#include "core/extractor/extraction_context.h"
#include "wiffharvest/sciex_instrument.h"
#include "wiffharvest/sciex_ms_scan.h"

void processSciexDDErun(const ScanTable& table, std::int32_t n, std::int32_t sample, const ExtractionContext& context,
                        const SciexInstrument& instrument);
