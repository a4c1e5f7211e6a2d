#include "yepharvest/spectral_files.h"

#include <optional>

#include "core/extractor/features_row.h"
#include "core/extractor/mgf_file.h"
#include "core/extractor/peak_list_file.h"
#include "core/util/printable_real.h"
#include "core/util/two_cores.h"
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

void processVelmoraLCMSMSrun(const RunTable& run, const ExtractionContext& context) {
    const ExtractorParameters& parameters = context.parameters;
    std::optional<MgfFile> mgf;
    if (context.peakListFormats.mgf) mgf.emplace(parameters.resultsXtractorDir + context.runName + ".mgf");
    const auto written = [&](std::int32_t i) {
        const MSscan& scan = run[i];
        return scan.rejected == 0 && scan.msLevel == 2 && scan.numPeaks > 1;
    };
    // Making thousands of small files is most of this stage, so both cores
    // make them; the features rows, the MGF blocks and a failure's report
    // come in record order.
    OrderedPeakListFiles files;
    computeOnTwoCoresConsumeInOrder<PeakListOutcome>(
        run.numScans(),
        [&](std::int32_t i) -> PeakListOutcome {
            if (!written(i) || !context.peakListFormats.pkl) return {};
            const MSscan& scan = run[i];
            return files.make(parameters.resultsXtractorDir + spectrumName(context.runName, scan),
                              {scan.parentMz, scan.precursorIntensity, scan.charge, 2}, scan.peaks,
                              "Function: processVelmoraLCMSMSrun");
        },
        [&](std::int32_t i, PeakListOutcome outcome) {
            if (!written(i) || !files.accept(std::move(outcome))) return;
            const MSscan& scan = run[i];
            const std::string name = spectrumName(context.runName, scan);
            if (mgf) {
                const std::optional<double> time =
                    scan.retentionSeconds < 0.0 ? std::nullopt : std::optional<double>(scan.retentionSeconds);
                mgf->add({name.substr(0, name.size() - 4), scan.parentMz, scan.precursorIntensity, scan.charge,
                          scan.scanNumber, scan.lastScanNumber, time, 2},
                         scan.peaks);
            }
            writeFeaturesRow(context.getSpecFeaturesStream(), name, scan, parameters.cys);
        });
    files.reportFailure();
    if (mgf) mgf->commit();
}
