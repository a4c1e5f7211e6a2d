#pragma once
// Folds nearby MS/MS spectra of one precursor into the first of them and
// measures each surviving precursor's signal-to-noise in the survey scans.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

// Groups opened by records [first, end): their windows' records must have
// been pre-processed (windowReach beyond `end`).
void mergeNearbyMSMSspectra(RunTable& run, std::int32_t first, std::int32_t end, const ExtractionContext& context);
