#include "wiffharvest/filter_and_merge.h"

#include <optional>

#include "core/extractor/merge_windows.h"
#include "core/extractor/spectrum_filters.h"
#include "core/peaks/peak_list_merging.h"
#include "wiffharvest/run_name.h"

namespace {

bool outsideScanRange(const SciexMSscan& scan, const ExtractorParameters& parameters) {
    return scan.scanNumber < parameters.firstScan || scan.scanNumber > parameters.lastScan;
}

void mergeInto(SciexMSscan& group, SciexMSscan& candidate, const ExtractionContext& context,
               const SciexInstrument& instrument) {
    candidate.mergedAway = true;
    group.lastScanNumber = candidate.scanNumber;
    if (group.charge == 0 && candidate.charge != 0) {
        group.setCharge(candidate.charge, candidate.chargeSource);
        group.collisionEnergy = candidate.collisionEnergy;
    }
    group.fragmentPeaks = instrument.centroids()
                              ? mergeKestranePeaksByCentroiding(group.fragmentPeaks, candidate.fragmentPeaks,
                                                                context.picking.peakBinningTolerance, 50.0)
                              : mergeKestranePeaks(group.fragmentPeaks, candidate.fragmentPeaks);
    group.numPeaks = static_cast<std::int32_t>(group.fragmentPeaks.size());
    candidate.rejected = true;
    context.getRejectReasonsStream().print(
        "\n%s.%04.0f.%04d\t0\tparent: %.2f merged with scan %04.0f.%04d parent: %.2f", context.runName.c_str(),
        static_cast<double>(candidate.scanTime), candidate.scanNumber, candidate.parentMz,
        static_cast<double>(group.scanTime), group.scanNumber, group.parentMz);
}

}  // namespace

void rejectOutOfRangeAndMerge(ScanTable& table, std::int32_t first, std::int32_t end, const ExtractionContext& context,
                              const SciexInstrument& instrument) {
    const ExtractorParameters& parameters = context.parameters;
    // Each record is range-checked when the walk reaches it: the candidates
    // of a window are merged before their own check.
    const auto opensGroup = [&](std::int32_t i) {
        SciexMSscan& scan = table[i];
        if (outsideScanRange(scan, parameters)) {
            scan.rejected = true;
            context.getRejectReasonsStream().print("\n%s.%04.0f\t0\tscan #: %d outside range %d - %d",
                                                   context.runName.c_str(), static_cast<double>(scan.scanTime),
                                                   scan.scanNumber, parameters.firstScan, parameters.lastScan);
            return false;
        }
        return scan.msLevel == 2 && !scan.mergedAway && !scan.rejected;
    };
    mergeWithinWindows(
        table.records, first, end, table.size(), parameters, opensGroup,
        [&](std::int32_t i, std::int32_t j) { mergeInto(table[i], table[j], context, instrument); },
        [](std::int32_t) {});
}

void filterMergedSpectra(ScanTable& table, std::int32_t first, std::int32_t end, const ExtractionContext& context) {
    filterCandidateSpectra(
        table.records, first, end,
        [](const SciexMSscan& scan) { return !scan.rejected && !scan.mergedAway && scan.msLevel == 2; },
        [](const SciexMSscan& scan) { return scan.fragmentPeaks; },
        [&](const SciexMSscan& scan) { return spectrumName(context.runName, scan); },
        [](std::int32_t, const SciexMSscan&) { return std::optional<FilterPick>(); }, context);
    // Beyond the filters only a written spectrum's m/z and intensities are
    // read: it keeps those, in less than half the room.
    for (std::int32_t i = first; i < end; ++i) {
        SciexMSscan& scan = table[i];
        if (scan.msLevel != 2) continue;
        if (scan.written()) scan.peaks = toSpectrumPoints(scan.fragmentPeaks);
        PeakList().swap(scan.fragmentPeaks);
    }
}
