#pragma once
// One .pkl file and one spectrum-features row per surviving MS/MS record.
#include <cstdint>

#include "core/extractor/extraction_context.h"
#include "core/extractor/peak_list_output.h"
#include "yepharvest/ms_scan.h"

// The stage over a run written a block at a time: a PeakListWriting of this
// output writes records [first, end) after those before, and is finished
// after the last.
PeakListOutput velmoraPeakListOutput(const ExtractionContext& context, PeakListSource source = {});
void processVelmoraLCMSMSrun(const RunTable& run, std::int32_t first, std::int32_t end, PeakListWriting& writing);
