#include "yepharvest/msms_merging.h"

#include <cmath>

#include "core/peaks/peak_list_merging.h"
#include "yepharvest/survey_scan_queries.h"

namespace {

bool opensGroup(const MSscan& scan, std::int32_t index, std::int32_t count) {
    return scan.rejected == 0 && scan.msLevel == 2 && scan.numMergedScans <= 1 && index != count - 1;
}

void mergeInto(MSscan& group, MSscan& candidate, std::int32_t candidateIndex, const ExtractionContext& context) {
    group.numMergedScans += 1;
    group.lastScanNumber = candidate.scanNumber;
    group.lastMergedIndex = candidateIndex;
    if (group.charge == 0 && candidate.charge != 0) group.charge = candidate.charge;
    group.peaks = toSpectrumPoints(mergeKestranePeaks(toKestranePeaks(group.peaks), toKestranePeaks(candidate.peaks)));
    group.numPeaks = static_cast<std::int32_t>(group.peaks.size());
    candidate.rejected = 1;
    context.getRejectReasonsStream().print("\n%s.%04d\t%d\tparent: %.2f merged with scan %04d parent: %.2f",
                                           context.runName.c_str(), candidate.scanNumber, group.numMergedScans,
                                           candidate.parentMz, group.scanNumber, group.parentMz);
}

}  // namespace

void mergeNearbyMSMSspectra(RunTable& run, const ExtractionContext& context) {
    const ExtractorParameters& parameters = context.parameters;
    const std::int32_t count = run.numScans();
    for (std::int32_t i = 0; i < count; ++i) {
        MSscan& group = run[i];
        if (!opensGroup(group, i, count)) continue;
        if (parameters.groupScans > 1) {
            // The window counts every record, survey scans included; merging
            // neither extends it nor moves the group's precursor.
            for (std::int32_t j = i + 1; j < count && j - i < parameters.groupScans; ++j) {
                MSscan& candidate = run[j];
                if (candidate.msLevel == 1 || candidate.rejected != 0) continue;
                if (std::fabs(group.parentMz - candidate.parentMz) < parameters.parentTolerance) {
                    mergeInto(group, candidate, j, context);
                }
            }
        }
        group.parentSignalNoise = parentSignalNoiseInMSscans(run, group.parentMz, i, parameters.parentTolerance);
    }
}
