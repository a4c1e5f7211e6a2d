#include "yepharvest/spectral_files.h"

#include <optional>
#include <utility>

#include "core/extractor/features_row.h"
#include "core/extractor/query_keys.h"
#include "core/util/printable_real.h"
#include "yepharvest/run_name.h"

namespace {

void writeFeaturesRow(LogSink& out, const std::string& name, const MSscan& scan, const std::string& cys) {
    const SpecFeatures& f = scan.specFeatures;
    out.print("\n%s\t%d", name.c_str(), scan.scanNumber);
    out.print("\t%d\t%d", f.numPeaks, scan.numPeaks);
    out.print("\t%0.2f\t%0.2f\t%0.2f\t0\t%d", scan.selectedParentMz, scan.parentMz,
              printableReal(scan.parentMzCentroid), scan.charge);
    out.print("\t%d\t%0.0f\t%0.0f", scan.numMergedScans, f.maxIntensity, scan.precursorIntensity);
    out.print("\t%0.0f\t%0.0f\t%0.1f\t%0.1f\t%0.0f", f.noiseMean, f.noiseStandardDeviation,
              printableReal(scan.parentSignalNoise), printableReal(f.MaxToTotalIntensityRatio),
              f.totalOriginalIntensity);
    writeFeaturesRowTail(out, f, cys);
}

}  // namespace

PeakListOutput velmoraPeakListOutput(const ExtractionContext& context, PeakListSource source) {
    return {context.runName, 2, "Function: processVelmoraLCMSMSrun", "yepharvest", QUARROW_VERSION, std::move(source),
            querySettings(context.parameters, KeyPrograms::yepharvest)};
}

void processVelmoraLCMSMSrun(const RunTable& run, std::int32_t first, std::int32_t end, PeakListWriting& writing) {
    const ExtractionContext& context = writing.context();
    writing.write(
        run.records, first, end, [&](const MSscan& scan) { return spectrumName(context.runName, scan); },
        [](const MSscan& scan) -> const SpectrumPoints& { return scan.peaks; },
        [](const MSscan& scan) {
            return scan.retentionSeconds < 0.0 ? std::nullopt : std::optional<double>(scan.retentionSeconds);
        },
        [&](const std::string& name, const MSscan& scan) {
            writeFeaturesRow(context.getSpecFeaturesStream(), name, scan, context.parameters.cys);
        });
}
