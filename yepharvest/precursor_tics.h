#pragma once
// After filtering: each written spectrum's precursor intensity summed over
// the MS scans around it and, for isotope-coded reagent mixtures, the
// intensities at its light and heavy partners.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

void calculatePrecursorTICs(RunTable& run, const ExtractionContext& context);
