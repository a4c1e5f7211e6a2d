#pragma once
// One .pkl file and one spectrum-features row per surviving MS/MS record of
// a sample.
#include <cstdint>

#include "core/extractor/extraction_context.h"
#include "core/extractor/peak_list_output.h"
#include "wiffharvest/sciex_instrument.h"
#include "wiffharvest/sciex_ms_scan.h"

// The stage over a sample written a block at a time: a PeakListWriting of
// this output writes records [first, end) after those before, and is
// finished after the last. The filters left each written record's peaks as
// m/z and intensity.
PeakListOutput sciexPeakListOutput(std::int32_t sample, const ExtractionContext& context,
                                   const SciexInstrument& instrument, PeakListSource source = {});
void processSciexDDErun(const ScanTable& table, std::int32_t first, std::int32_t end, std::int32_t sample,
                        PeakListWriting& writing);
