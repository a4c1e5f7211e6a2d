#include "wiffharvest/spectral_files.h"

#include <optional>
#include <string>

#include "core/extractor/features_row.h"
#include "core/extractor/mgf_file.h"
#include "core/extractor/peak_list_file.h"
#include "core/util/printable_real.h"
#include "core/util/two_cores.h"
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

void processSciexDDErun(const ScanTable& table, std::int32_t n, std::int32_t sample, const ExtractionContext& context,
                        const SciexInstrument& instrument) {
    const ExtractorParameters& parameters = context.parameters;
    const int mzDecimals = instrument.mzDecimals();
    std::optional<MgfFile> mgf;
    if (context.peakListFormats.mgf) {
        const std::string stem = sample <= 1 ? context.runName : context.runName + "_" + std::to_string(sample);
        mgf.emplace(parameters.resultsXtractorDir + stem + ".mgf");
    }
    const auto written = [&](std::int32_t i) {
        const SciexMSscan& scan = table.records[static_cast<std::size_t>(i)];
        return scan.msLevel == 2 && scan.numPeaks > 1 && scan.rejected == 0;
    };
    // As for first-vendor runs: both cores make the files, the rows and a
    // failure's report come in record order.
    OrderedPeakListFiles files;
    computeOnTwoCoresConsumeInOrder<PeakListOutcome>(
        n,
        [&](std::int32_t i) -> PeakListOutcome {
            if (!written(i) || !context.peakListFormats.pkl) return {};
            const SciexMSscan& scan = table.records[static_cast<std::size_t>(i)];
            return files.make(parameters.resultsXtractorDir + peakListName(context.runName, sample, scan),
                              {scan.parentMz, scan.precursorIntensity, scan.charge, mzDecimals}, scan.fragmentPeaks,
                              "Function: processSciexDDErun");
        },
        [&](std::int32_t i, PeakListOutcome outcome) {
            if (!written(i) || !files.accept(std::move(outcome))) return;
            const SciexMSscan& scan = table.records[static_cast<std::size_t>(i)];
            const std::string name = peakListName(context.runName, sample, scan);
            if (mgf) {
                mgf->add({name.substr(0, name.size() - 4), scan.parentMz, scan.precursorIntensity, scan.charge,
                          scan.scanNumber, scan.lastScanNumber, static_cast<double>(scan.cycleTime), mzDecimals},
                         scan.fragmentPeaks);
            }
            writeFeaturesRow(context.getSpecFeaturesStream(), name, scan, parameters.cys);
        });
    files.reportFailure();
    if (mgf) mgf->commit();
}
