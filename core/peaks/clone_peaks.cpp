#include "core/peaks/clone_peaks.h"

#include "core/util/checked_memory.h"

PeakList clonePeaks(const PeakList& list) {
    PeakList copy;
    reserveChecked(copy, list.size(), "clonePeaks");
    copy.assign(list.begin(), list.end());
    return copy;
}
