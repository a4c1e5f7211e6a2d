#pragma once
// Sets the precursor charge of every record from three kinds of evidence: a
// singly-charged test on the fragments, the same molecule at neighbouring
// charge states in the survey scans, and b/y pairs fitting charge 2 and 3.
// In the full mode every finding goes to parentChargeCheck.txt.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

void determinePrecursorCharges(RunTable& run, const ExtractionContext& context);
