#pragma once
// Folds nearby MS/MS spectra of one precursor into the first of them and
// measures each surviving precursor's signal-to-noise in the survey scans.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

void mergeNearbyMSMSspectra(RunTable& run, const ExtractionContext& context);
