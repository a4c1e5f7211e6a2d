#include "yepharvest/msms_filtering.h"

#include <optional>
#include <utility>

#include "core/extractor/spectrum_filters.h"
#include "yepharvest/run_name.h"

void filterMSMSspectra(RunTable& run, std::int32_t first, std::int32_t end, const ExtractionContext& context,
                       DoublyChargedPicks* picks) {
    filterCandidateSpectra(
        run.records, first, end, [](const MSscan& scan) { return !scan.rejected && scan.msLevel == 2; },
        [](const MSscan& scan) { return toKestranePeaks(scan.peaks); },
        [&](const MSscan& scan) { return spectrumName(context.runName, scan); },
        [&](std::int32_t i, const MSscan& scan) -> std::optional<FilterPick> {
            if (picks == nullptr || (scan.charge != 0 && scan.charge != 2)) return std::nullopt;
            std::optional<PickedPeaks> pick = picks->take(i);
            if (!pick) return std::nullopt;
            return FilterPick{static_cast<std::int32_t>(scan.peaks.size()), std::move(*pick)};
        },
        context);
}
