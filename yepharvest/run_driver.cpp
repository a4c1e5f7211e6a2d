#include "yepharvest/run_driver.h"

#include <cstdio>
#include <string>

#include "core/extractor/extractor_startup.h"
#include "core/extractor/precursor_tics.h"
#include "core/util/text_path.h"
#include "platform/com/com_runtime.h"
#include "platform/openformat/export_names.h"
#include "yepharvest/ms_scan.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_filtering.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"
#include "yepharvest/run_counts.h"
#include "yepharvest/run_name.h"
#include "yepharvest/run_reader.h"
#include "yepharvest/spectral_files.h"
#include "yepharvest/survey_isotope_charges.h"

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

    RunTable run;
    const int readFailed = readVelmoraDataIntoMemory(runPath, run, context);
    std::printf("<BR>Data read into memory. \n");

    if (!run.noMSscans) {
        preprocessMSscans(run, context);
        std::printf("<BR>MS scans pre-processed. \n");
    }
    mergeNearbyMSMSspectra(run, context);
    std::printf("<BR>Nearby MS/MS spectra with same precursor merged. \n");
    determinePrecursorCharges(run, context);
    std::printf("<BR>Precursor charges determined. \n");
    if (context.parameters.chargeFromSurveyIsotopes != 0 && !run.noMSscans) {
        chargePrecursorsFromSurveyIsotopes(run, context);
        std::printf("<BR>Precursor charges read from survey isotopes. \n");
    }
    filterMSMSspectra(run, context);
    std::printf("<BR>Spectra filtered. \n");
    if (!run.noMSscans) {
        calculatePrecursorTICs(run.records, context);
        std::printf("<BR>Calculated precursor TICs in intervening MS scans.\n");
    }
    processVelmoraLCMSMSrun(run, context);
    std::printf("<BR>Created spectral files.\n");
    writeRunStatistics(countRunStatistics(run), context.parameters.maxCharge, context.getRunStatsStream());
    std::printf("<BR>Run statistics calculated and output. \n");

    comUninitialize();
    // A run that could not be read is a failure for every caller that is not
    // a person reading the page: the stages above still ran over the empty
    // table, so the page and the logs look as they always have, but the status says so.
    return readFailed != 0 ? 1 : 0;
}
