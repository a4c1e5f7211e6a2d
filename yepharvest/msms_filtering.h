#pragma once
// Decides which MS/MS records are worth writing and stores the features of
// each that is: the parent range, the peak count after picking and the
// sequence tag, each refusal leaving its reject row.
#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"
#include "yepharvest/precursor_charge.h"

// Records [first, end), once their charges are final; a spectrum whose
// charge stays undetermined or 2 takes its pick from `picks`, when given.
void filterMSMSspectra(RunTable& run, std::int32_t first, std::int32_t end, const ExtractionContext& context,
                       DoublyChargedPicks* picks = nullptr);
