#pragma once
// Scans outside the requested range are rejected; MS/MS spectra of one
// precursor within groupScans records of each other are merged into the
// earliest; then every surviving spectrum passes the parent range, peak
// count and sequence tag filters or is rejected, and keeps its features.
#include <cstdint>

#include "core/extractor/extraction_context.h"
#include "wiffharvest/sciex_instrument.h"
#include "wiffharvest/sciex_ms_scan.h"

// The phases over a table walked in blocks. Range check and merging of the
// groups opened by records [first, end): their windows' records must be
// read and their charges assigned (windowReach beyond `end`).
void rejectOutOfRangeAndMerge(ScanTable& table, std::int32_t first, std::int32_t end, const ExtractionContext& context,
                              const SciexInstrument& instrument);
// The filters and features of records [first, end), once merged.
void filterMergedSpectra(ScanTable& table, std::int32_t first, std::int32_t end, const ExtractionContext& context);
