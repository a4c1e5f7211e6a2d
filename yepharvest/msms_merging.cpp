#include "yepharvest/msms_merging.h"

#include <vector>

#include "core/extractor/merge_windows.h"
#include "core/peaks/peak_list_merging.h"
#include "core/util/two_cores.h"
#include "yepharvest/survey_scan_queries.h"

namespace {

bool opensGroup(const MSscan& scan, std::int32_t index, std::int32_t count) {
    return !scan.rejected && scan.msLevel == 2 && scan.numMergedScans <= 1 && index != count - 1;
}

// The merging decisions rest on precursors alone; each group's peak lists
// are merged afterwards.
void mergeInto(MSscan& group, MSscan& candidate, std::int32_t candidateIndex, const ExtractionContext& context) {
    group.numMergedScans += 1;
    group.lastScanNumber = candidate.scanNumber;
    group.lastMergedIndex = candidateIndex;
    group.takeChargeOf(candidate);
    candidate.rejected = true;
    context.getRejectReasonsStream().print("\n%s.%04d\t%d\tparent: %.2f merged with scan %04d parent: %.2f",
                                           context.runName.c_str(), candidate.scanNumber, group.numMergedScans,
                                           candidate.parentMz, group.scanNumber, group.parentMz);
}

// A group's first record and the records merged into it, in scan order.
struct MergedGroup {
    std::int32_t first = 0;
    std::vector<std::int32_t> merged;
};

// Each group's peaks are its first record's merged with every later
// member's in turn; groups share no record, so both cores merge them.
void mergePeakLists(RunTable& run, const std::vector<MergedGroup>& groups) {
    forEachOnTwoCores(static_cast<std::int32_t>(groups.size()), [&](std::int32_t g) {
        const MergedGroup& group = groups[static_cast<std::size_t>(g)];
        MSscan& first = run[group.first];
        PeakList peaks = toKestranePeaks(first.peaks);
        for (const std::int32_t member : group.merged) {
            peaks = mergeKestranePeaks(peaks, toKestranePeaks(run[member].peaks));
        }
        first.peaks = toSpectrumPoints(peaks);
        first.numPeaks = static_cast<std::int32_t>(first.peaks.size());
    });
}

}  // namespace

void mergeNearbyMSMSspectra(RunTable& run, std::int32_t first, std::int32_t end, const ExtractionContext& context) {
    const ExtractorParameters& parameters = context.parameters;
    const std::int32_t count = run.size();
    std::vector<MergedGroup> groups;
    mergeWithinWindows(
        run.records, first, end, count, parameters, [&](std::int32_t i) { return opensGroup(run[i], i, count); },
        [&](std::int32_t i, std::int32_t j) {
            mergeInto(run[i], run[j], j, context);
            if (groups.empty() || groups.back().first != i) groups.push_back({i, {}});
            groups.back().merged.push_back(j);
        },
        [&](std::int32_t i) {
            run[i].parentSignalNoise = parentSignalNoiseInMSscans(run, run[i].parentMz, i, parameters.parentTolerance);
        });
    mergePeakLists(run, groups);
}
