#include "wiffharvest/filter_and_merge.h"

#include <cmath>
#include <cstdio>

#include "core/extractor/spectrum_filters.h"
#include "core/peaks/peak_list_merging.h"
#include "wiffharvest/run_name.h"

namespace {

bool outsideScanRange(const SciexMSscan& scan, const ExtractorParameters& parameters) {
    return scan.scanNumber < parameters.firstScan || scan.scanNumber > parameters.lastScan;
}

void mergeInto(SciexMSscan& group, SciexMSscan& candidate, const ExtractionContext& context,
               const SciexInstrument& instrument) {
    candidate.mergedAway = 1;
    group.lastScanNumber = candidate.scanNumber;
    if (group.charge == 0 && candidate.charge != 0) {
        group.charge = candidate.charge;
        group.collisionEnergy = candidate.collisionEnergy;
    }
    group.fragmentPeaks = instrument.centroids()
                              ? mergeKestranePeaksByCentroiding(group.fragmentPeaks, candidate.fragmentPeaks,
                                                                context.picking.peakBinningTolerance, 50.0)
                              : mergeKestranePeaks(group.fragmentPeaks, candidate.fragmentPeaks);
    group.numPeaks = static_cast<std::int32_t>(group.fragmentPeaks.size());
    candidate.rejected = 1;
    context.getRejectReasonsStream().print(
        "\n%s.%04.0f.%04d\t0\tparent: %.2f merged with scan %04.0f.%04d parent: %.2f", context.runName.c_str(),
        static_cast<double>(candidate.scanTime), candidate.scanNumber, candidate.parentMz,
        static_cast<double>(group.scanTime), group.scanNumber, group.parentMz);
}

void rejectOutOfRangeAndMerge(ScanTable& table, std::int32_t n, const ExtractionContext& context,
                              const SciexInstrument& instrument) {
    const ExtractorParameters& parameters = context.parameters;
    auto& records = table.records;
    for (std::int32_t i = 0; i < n; ++i) {
        SciexMSscan& group = records[static_cast<std::size_t>(i)];
        if (outsideScanRange(group, parameters)) {
            group.rejected = 1;
            context.getRejectReasonsStream().print("\n%s.%04.0f\t0\tscan #: %d outside range %d - %d",
                                                   context.runName.c_str(), static_cast<double>(group.scanTime),
                                                   group.scanNumber, parameters.firstScan, parameters.lastScan);
            continue;
        }
        if (group.msLevel != 2 || group.mergedAway != 0 || group.rejected != 0) continue;
        // Candidates are compared with the group's own precursor, which
        // merging never moves; they are not range-checked here.
        for (std::int32_t j = i + 1; j < n && j - i < parameters.groupScans; ++j) {
            SciexMSscan& candidate = records[static_cast<std::size_t>(j)];
            if (candidate.msLevel == 1 || candidate.rejected != 0) continue;
            if (!(std::fabs(group.parentMz - candidate.parentMz) < parameters.parentTolerance)) continue;
            mergeInto(group, candidate, context, instrument);
        }
    }
    std::printf("<BR>Merging done: \n");
    std::printf("<BR>numNonRejectedMSMSspectra: %d", countNonRejectedMSMSspectra(table, n));
}

void filterSpectra(ScanTable& table, std::int32_t n, const ExtractionContext& context) {
    filterCandidateSpectra(
        table.records, n,
        [](const SciexMSscan& scan) { return scan.rejected == 0 && scan.mergedAway == 0 && scan.msLevel == 2; },
        [](const SciexMSscan& scan) { return scan.fragmentPeaks; },
        [&](const SciexMSscan& scan) { return spectrumName(context.runName, scan); }, context);
}

}  // namespace

void filterAndMergeMSMSspectra(ScanTable& table, std::int32_t n, const ExtractionContext& context,
                               const SciexInstrument& instrument) {
    // Every merged list is complete before any spectrum's features are computed.
    rejectOutOfRangeAndMerge(table, n, context, instrument);
    filterSpectra(table, n, context);
}
