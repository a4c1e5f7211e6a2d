#pragma once
// The four tab-separated logs every run appends to, in logFileDir: charge
// decisions, reject reasons, spectrum features and run statistics. A header
// goes only into an empty file and ends without a line feed; every row starts
// with one. Runs sharing the folder may append at the same time: see LogSink.
#include <string>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/log_sink.h"

struct XtractorOutputFiles {
    LogSink parentChargeCheck;
    LogSink rejectReasons;
    LogSink specFeatures;
    LogSink runStats;

    ExtractionLogs logs() { return {&parentChargeCheck, &rejectReasons, &specFeatures, &runStats}; }
    // Writes what the four logs still hold and closes them.
    void close();
};

// The spectrum-features rows a program writes: those of .wiff runs
// (wiffharvest) or those of other runs (yepharvest). The header follows the
// program, not the data file's name, so that it always names the columns
// of the rows below it.
enum class FeaturesRows { otherRun, wiffRun };

// Opens (appending) the four files and writes the headers of empty ones; a
// file that cannot be opened or written ends the process.
XtractorOutputFiles openXtractorOutputFiles(const ExtractorParameters& parameters, FeaturesRows rows);
// Mode "Peak-Picker": resultsXtractorDir/output_filename.htm becomes the HTML stream.
void openResultsPage(const ExtractorParameters& parameters);

// The spectrum-features header chosen by xtractorMode, the rows and whether
// cys names a reagent mixture.
std::string specFeaturesHeader(const ExtractorParameters& parameters, FeaturesRows rows);
