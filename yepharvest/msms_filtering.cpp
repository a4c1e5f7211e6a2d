#include "yepharvest/msms_filtering.h"

#include "core/extractor/spectrum_filters.h"
#include "yepharvest/run_name.h"

void filterMSMSspectra(RunTable& run, const ExtractionContext& context) {
    for (MSscan& scan : run.records) {
        if (scan.rejected != 0 || scan.msLevel != 2) continue;
        const std::string name = spectrumName(context.runName, scan);
        std::optional<SpecFeatures> features =
            filterMSMSspectrum({name, scan.parentMz, scan.charge, scan.chargePending, toKestranePeaks(scan.peaks)},
                               context);
        if (features) {
            scan.specFeatures = std::move(*features);
        } else {
            scan.rejected = 1;
        }
    }
}
