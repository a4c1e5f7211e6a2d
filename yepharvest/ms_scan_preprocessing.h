#pragma once
// The first survey-scan stage: base peak, m/z order and noise of every MS
// scan, and, when asked, each MS/MS precursor moved onto the monoisotopic
// peak of its cluster in the preceding MS scan.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

// Records [first, end); their survey scans are prepared before their
// precursors are moved, and a precursor's survey scan comes before it.
void preprocessMSscans(RunTable& run, std::int32_t first, std::int32_t end, const ExtractionContext& context);
