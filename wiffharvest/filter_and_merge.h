#pragma once
// Scans outside the requested range are rejected; MS/MS spectra of one
// precursor within groupScans records of each other are merged into the
// earliest; then every surviving spectrum passes the parent range, peak
// count and sequence tag filters or is rejected, and keeps its features.
#include "core/extractor/extraction_context.h"
#include "wiffharvest/sciex_instrument.h"
#include "wiffharvest/sciex_ms_scan.h"

void filterAndMergeMSMSspectra(ScanTable& table, std::int32_t n, const ExtractionContext& context,
                               const SciexInstrument& instrument);
