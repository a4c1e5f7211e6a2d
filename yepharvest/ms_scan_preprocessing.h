#pragma once
// The first survey-scan stage: base peak, m/z order and noise of every MS
// scan, and, when asked, each MS/MS precursor moved onto the monoisotopic
// peak of its cluster in the preceding MS scan.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

void preprocessMSscans(RunTable& run, const ExtractionContext& context);
