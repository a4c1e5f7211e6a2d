#include "wiffharvest/run_driver.h"

#include <cstdio>
#include <string>

#include "core/extractor/extractor_startup.h"
#include "core/extractor/precursor_tics.h"
#include "core/util/run_timer.h"
#include "platform/com/com_runtime.h"
#include "wiffharvest/filter_and_merge.h"
#include "wiffharvest/isotope_spacing_charges.h"
#include "wiffharvest/object_model_errors.h"
#include "wiffharvest/run_counts.h"
#include "wiffharvest/run_name.h"
#include "wiffharvest/spectral_files.h"
#include "wiffharvest/wiff_reader.h"

namespace {

void printCount(const ScanTable& table, std::int32_t n) {
    std::printf("<BR>numNonRejectedMSMSspectra: %d", countNonRejectedMSMSspectra(table, n));
}

// A MALDI QSTAR file is known by its name: "_Product." after its first character.
SciexInstrument assignInstrument(SciexInstrument instrument, const std::string& path, ExtractionContext& context) {
    const std::size_t at = path.find("_Product.");
    instrument.isMALDI = instrument.family == InstrumentFamily::qstar && at != std::string::npos && at > 0;
    if (const char* block = instrument.instrumentBlock()) {
        context.useInstrument(block);
        std::printf("<BR>Assigned instrument type %s.\n", block);
    }
    return instrument;
}

void processSample(const std::string& path, std::int32_t sample, const ExtractionContext& context,
                   const SciexInstrument& instrument) {
    ScanTable table;
    const std::int32_t n = readSciexScansIntoMemory(path, sample, table, context, instrument);
    std::printf("<BR>Spectra read into memory # spectra: %d\n", n);
    printCount(table, n);
    if (instrument.chargesFromIsotopeSpacing() && !table.noMSscans) {
        assignChargesFromIsotopeSpacing(table, n, context);
        std::printf("<BR>Precursor charges assigned based on isotope spacing.\n");
    }
    filterAndMergeMSMSspectra(table, n, context, instrument);
    std::printf("<BR>Nearby MS/MS spectra with same precursor merged and filtered\n");
    printCount(table, n);
    if (!table.noMSscans) {
        calculatePrecursorTICs(table.records, context);
        std::printf("<BR>Calculated precursor TICs in intervening MS scans.\n");
        printCount(table, n);
    }
    processSciexDDErun(table, n, sample, context, instrument);
    std::printf("<BR>Created spectral files.\n");
    printCount(table, n);
    writeRunStatistics(countRunStatistics(table, n), context.parameters.maxCharge, context.getRunStatsStream());
    std::printf("<BR>Run statistics calculated and output.\n");
    printCount(table, n);
}

}  // namespace

int runWiffharvest() {
    RunTimer timer;
    timer.startRunTimer();
    comInitialize();
    ExtractionContext context = initialiseExtractor(FeaturesRows::wiffRun);
    const std::string path = context.parameters.xtractorDataFilename;
    context.runName = getRunName(path);
    try {
        SciexInstrument instrument;
        const std::int32_t samples = openWiffFile(path, context, instrument);
        std::printf("<BR>Wiff file opened. Contains %d samples\n", samples);
        instrument = assignInstrument(instrument, path, context);
        for (std::int32_t sample = 1; sample <= samples; ++sample) processSample(path, sample, context, instrument);
    } catch (const ComError& error) {
        printProgress(objectModelErrorText(error));
        // Files already written stay; the status tells a script or a workflow
        // engine that the run did not complete.
        return 1;
    }
    timer.stopRunTimer();
    std::printf("Execution Time: %.1f secs\n", timer.elapsedRunSeconds());
    context.getParentChargeCheckStream().close();
    return 0;
}
