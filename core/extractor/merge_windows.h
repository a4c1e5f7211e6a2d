#pragma once
// The walk by which both programs merge MS/MS spectra of one precursor taken
// close together. Each record that opens a group (the program decides which)
// compares its own precursor with every later record within the window of
// groupScans records: survey scans count in the window, merging neither
// extends it nor moves the group's precursor, and there is no chaining. A
// candidate that is no survey scan, is not rejected and whose precursor lies
// strictly within parentTolerance is merged into the group.
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/extractor/extractor_parameters.h"

// `opensGroup(i)` visits record i, for i in [first, end) in ascending order;
// `mergeInto(i, j)` merges record j into group i; `groupDone(i)` follows a
// group's window. Windows end at record `count`; a group's window reaches
// windowReach() records beyond it.
template <class Record, class OpensGroup, class MergeInto, class GroupDone>
void mergeWithinWindows(std::vector<Record>& records, std::int32_t first, std::int32_t end, std::int32_t count,
                        const ExtractorParameters& parameters, OpensGroup opensGroup, MergeInto mergeInto,
                        GroupDone groupDone) {
    for (std::int32_t i = first; i < end; ++i) {
        if (!opensGroup(i)) continue;
        const double groupMz = records[static_cast<std::size_t>(i)].parentMz;
        for (std::int32_t j = i + 1; j < count && j - i < parameters.groupScans; ++j) {
            const Record& candidate = records[static_cast<std::size_t>(j)];
            if (candidate.msLevel == 1 || candidate.rejected) continue;
            if (std::fabs(groupMz - candidate.parentMz) < parameters.parentTolerance) mergeInto(i, j);
        }
        groupDone(i);
    }
}

// Records beyond a group that its window reaches.
inline std::int32_t windowReach(const ExtractorParameters& parameters) {
    return parameters.groupScans > 1 ? parameters.groupScans - 1 : 0;
}
