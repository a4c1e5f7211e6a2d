#pragma once
// Decides which MS/MS records are worth writing and stores the features of
// each that is: the parent range, the peak count after picking and the
// sequence tag, each refusal leaving its reject row.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

void filterMSMSspectra(RunTable& run, const ExtractionContext& context);
