#include "wiffharvest/run_driver.h"

#include <cstdio>
#include <string>

#include "core/extractor/extractor_startup.h"
#include "core/util/failure_line.h"
#include "core/util/run_timer.h"
#include "core/util/text_path.h"
#include "platform/com/com_runtime.h"
#include "wiffharvest/object_model_errors.h"
#include "wiffharvest/run_name.h"
#include "wiffharvest/sample_stages.h"
#include "wiffharvest/wiff_reader.h"

namespace {

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
    // The stages follow the reading a block of spectra at a time, so that a
    // sample's raw peaks never stand in memory all at once.
    constexpr std::int32_t kBlock = 2048;
    ScanTable table;
    SampleReading reading(path, sample, table, context, instrument);
    SampleStages stages(table, sample, context, instrument, reading.source());
    while (!reading.done()) {
        reading.readUpTo(reading.frontier() + kBlock);
        stages.advance(reading.frontier());
    }
    stages.finish();
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
        // engine that the run did not complete, the failure line why.
        // Its sentence names the .wiff path or an export in its folder.
        writeFailureLine(1, error.description().empty() ? error.errorMessage() : error.description(), 0,
                         {path, gen_path_from_filename(path)});
        return 1;
    }
    timer.stopRunTimer();
    std::printf("Execution Time: %.1f secs\n", timer.elapsedRunSeconds());
    context.getParentChargeCheckStream().close();
    return 0;
}
