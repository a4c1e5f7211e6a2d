#include "yepharvest/run_driver.h"

#include <cstdio>
#include <string>

#include "core/extractor/extractor_startup.h"
#include "core/util/failure_line.h"
#include "core/util/text_path.h"
#include "platform/com/com_runtime.h"
#include "platform/openformat/export_names.h"
#include "yepharvest/run_name.h"
#include "yepharvest/run_reader.h"
#include "yepharvest/run_stages.h"

int runYepharvest() {
    comInitialize();

    ExtractionContext context = initialiseExtractor(FeaturesRows::otherRun);
    std::printf("<BR>Initialize extractor complete! \n");
    context.useInstrument("ESI-ION-TRAP");

    // An export named directly is opened as it is; otherwise the reader opens
    // the run folder that holds the data file.
    const std::string& dataFilename = context.parameters.xtractorDataFilename;
    const std::string runPath =
        hasExportEnding(dataFilename) ? dataFilename : gen_path_from_filename(dataFilename);
    context.runName = getRunName(dataFilename);

    // The stages follow the reading a block of spectra at a time, so that
    // a run's raw peaks never stand in memory all at once.
    constexpr std::int32_t kBlock = 2048;
    RunTable run;
    RunReading reading(runPath, run, context);
    RunStages stages(run, context, reading.source());
    while (!reading.done()) {
        reading.readUpTo(reading.frontier() + kBlock);
        stages.advance(reading.frontier(), reading.done());
    }
    const int readFailed = reading.finish();
    stages.finish(readFailed != 0);

    comUninitialize();
    // A run that could not be read is a failure for every caller that is not
    // a person reading the page: the stages above still ran over the empty
    // table, so the page and the logs look as they always have, but the status says so.
    if (readFailed == 0) return 0;
    writeFailureLine(1, reading.failure(), 0, {runPath});
    return 1;
}
