#include "yepharvest/msms_merging.h"

#include <algorithm>
#include <optional>
#include <cmath>
#include <cstdio>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/output_files.h"
#include "core/peaks/peak_list_merging.h"
#include "yepharvest/ms_scan.h"
#include "yepharvest/peak_window.h"
#include "yepharvest/run_name.h"

namespace {

bool opensGroup(const MSscan& scan, std::int32_t index) {
    return scan.rejected == 0 && scan.msLevel == 2 && scan.numMergedScans <= 1 && index != numScans() - 1;
}

void mergeInto(MSscan& group, MSscan& candidate, std::int32_t candidateIndex, const std::string& runName) {
    group.numMergedScans += 1;
    group.lastScanNumber = candidate.scanNumber;
    group.lastMergedIndex = candidateIndex;
    if (group.charge == 0 && candidate.charge != 0) group.charge = candidate.charge;
    group.peaks = toSpectrumPoints(mergeKestranePeaks(toKestranePeaks(group.peaks), toKestranePeaks(candidate.peaks)));
    group.numPeaks = static_cast<std::int32_t>(group.peaks.size());
    candidate.rejected = 1;
    std::fprintf(getRejectReasonsStream(), "\n%s.%04d\t%d\tparent: %.2f merged with scan %04d parent: %.2f",
                 runName.c_str(), candidate.scanNumber, group.numMergedScans, candidate.parentMz, group.scanNumber,
                 group.parentMz);
}

}  // namespace

void mergeNearbyMSMSspectra() {
    const ExtractorParameters& parameters = extractorParameters();
    const std::string runName = getRunName(parameters.xtractorDataFilename);
    std::vector<MSscan>& table = runTable();
    const std::int32_t count = numScans();
    for (std::int32_t i = 0; i < count; ++i) {
        MSscan& group = table[static_cast<std::size_t>(i)];
        if (!opensGroup(group, i)) continue;
        if (parameters.groupScans > 1) {
            // The window counts every record, survey scans included; merging
            // neither extends it nor moves the group's precursor.
            for (std::int32_t j = i + 1; j < count && j - i < parameters.groupScans; ++j) {
                MSscan& candidate = table[static_cast<std::size_t>(j)];
                if (candidate.msLevel == 1 || candidate.rejected != 0) continue;
                if (std::fabs(group.parentMz - candidate.parentMz) < parameters.parentTolerance) {
                    mergeInto(group, candidate, j, runName);
                }
            }
        }
        group.parentSignalNoise = parentSignalNoiseInMSscans(group.parentMz, i, parameters.parentTolerance);
    }
}

double parentSignalNoiseInMSscans(double mz, std::int32_t index, double tolerance) {
    // A spectrum before the first survey scan has no survey evidence at all.
    const std::optional<std::int32_t> firstSurvey = preceedingMSscan(index);
    if (!firstSurvey) return 0.0;
    const std::vector<MSscan>& table = runTable();
    const std::int32_t first = *firstSurvey;
    const std::int32_t last = findIndexOfPreceedingMSscan(table[static_cast<std::size_t>(index)].lastMergedIndex);
    double best = 0.0;
    for (std::int32_t k = first; k <= last; ++k) {
        const MSscan& scan = table[static_cast<std::size_t>(k)];
        if (scan.msLevel != 1) continue;
        const double sum = intensityInWindow(scan.peaks, mz - tolerance, mz + tolerance);
        const double signalNoise = scan.noiseMean != 0.0 ? (sum - scan.noiseMean) / scan.noiseStandardDeviation : 0.0;
        best = std::max(best, signalNoise);
    }
    return best;
}
