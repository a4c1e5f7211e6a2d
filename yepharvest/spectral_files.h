#pragma once
// One .pkl file and one spectrum-features row per surviving MS/MS record.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

void processVelmoraLCMSMSrun(const RunTable& run, const ExtractionContext& context);
