#include "wiffharvest/spectral_files.h"

#include <optional>
#include <string>
#include <utility>

#include "core/extractor/features_row.h"
#include "core/extractor/query_keys.h"
#include "core/util/printable_real.h"
#include "wiffharvest/run_name.h"

namespace {

// Column for column the header of .wiff runs.
void writeFeaturesRow(LogSink& out, const std::string& name, const SciexMSscan& scan, const std::string& cys) {
    const SpecFeatures& f = scan.specFeatures;
    out.print("\n%s\t%d", name.c_str(), scan.scanNumber);
    out.print("\t%d\t%d\t%d", f.numPeaks, scan.numPeaks, scan.rawPointCount);
    out.print("\t%0.2f\t%0.2f\t0\t%d", scan.selectedParentMz, scan.parentMz, scan.charge);
    out.print("\t%0.4f\t%0.0f", scan.collisionEnergy, printableReal(scan.precursorIntensity));
    out.print("\t%0.0f\t%0.0f\t%0.1f\t%0.0f\t%0.0f", f.noiseMean, f.noiseStandardDeviation,
              printableReal(f.MaxToTotalIntensityRatio), f.maxIntensity, f.totalOriginalIntensity);
    writeFeaturesRowTail(out, f, cys);
}

}  // namespace

PeakListOutput sciexPeakListOutput(std::int32_t sample, const ExtractionContext& context,
                                   const SciexInstrument& instrument, PeakListSource source) {
    const std::string stem = sample <= 1 ? context.runName : context.runName + "_" + std::to_string(sample);
    return {stem, instrument.mzDecimals(), "Function: processSciexDDErun", "wiffharvest", QUARROW_VERSION,
            std::move(source), querySettings(context.parameters, KeyPrograms::wiffharvest)};
}

void processSciexDDErun(const ScanTable& table, std::int32_t first, std::int32_t end, std::int32_t sample,
                        PeakListWriting& writing) {
    const ExtractionContext& context = writing.context();
    writing.write(
        table.records, first, end, [&](const SciexMSscan& scan) { return peakListName(context.runName, sample, scan); },
        [](const SciexMSscan& scan) -> const SpectrumPoints& { return scan.peaks; },
        [](const SciexMSscan& scan) { return std::optional<double>(static_cast<double>(scan.cycleTime)); },
        [&](const std::string& name, const SciexMSscan& scan) {
            writeFeaturesRow(context.getSpecFeaturesStream(), name, scan, context.parameters.cys);
        });
}
