#pragma once
#include "core/peaks/kestrane_peak.h"

// A member-by-member copy; running out of memory ends the process with a
// message naming "clonePeaks".
PeakList clonePeaks(const PeakList& list);
