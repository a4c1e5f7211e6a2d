#include "yepharvest/msms_filtering.h"

#include "core/extractor/spectrum_filters.h"
#include "yepharvest/run_name.h"

void filterMSMSspectra(RunTable& run, const ExtractionContext& context) {
    filterCandidateSpectra(
        run.records, run.numScans(), [](const MSscan& scan) { return !scan.rejected && scan.msLevel == 2; },
        [](const MSscan& scan) { return toKestranePeaks(scan.peaks); },
        [&](const MSscan& scan) { return spectrumName(context.runName, scan); }, context);
}
