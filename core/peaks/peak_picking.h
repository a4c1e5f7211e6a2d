#pragma once
#include "core/peaks/kestrane_peak.h"

// Turns the raw peaks of one MS/MS spectrum (ascending m/z) into the cleaned
// list that is written and scored: centroiding (instruments with uncertain
// charges), precursor removal, noise estimate, de-isotoping, signal-to-noise
// filters, the peak limit and the low-mass cut. Overwrites the noise
// statistics. `parent` comes from makeParentKestranePeak with charge >= 1.
PeakList pickPeaks(PeakList list, const KestranePeak& parent);
