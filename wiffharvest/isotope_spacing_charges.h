#pragma once
// QSTAR precursors whose label gave no charge take the one that the spacing
// of their 12C and 13C peaks in the preceding survey scan shows; a charge of
// 1 is withdrawn when fragments lie well above the precursor. Every decision
// goes to parentChargeCheck.txt.
#include "core/extractor/extraction_context.h"
#include "wiffharvest/sciex_ms_scan.h"

// Records [first, end); each one's preceding survey scan must be read.
void assignChargesFromIsotopeSpacing(ScanTable& table, std::int32_t first, std::int32_t end,
                                     const ExtractionContext& context);
