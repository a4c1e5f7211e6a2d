#pragma once
// The four tab-separated logs every run appends to, in logFileDir: charge
// decisions, reject reasons, spectrum features and run statistics. A header
// goes only into an empty file and ends without a line feed; every row starts
// with one.
#include <cstdio>
#include <string>

// Opens (appending) the four files and writes the headers of empty ones.
int openXtractorOutputFiles();
// Mode "Peak-Picker": resultsXtractorDir/output_filename.htm becomes the HTML stream.
int openResultsPage();

std::FILE* getParentChargeCheckStream();
std::FILE* getRejectReasonsStream();
std::FILE* getSpecFeaturesStream();
std::FILE* getRunStatsStream();

// The spectrum-features header chosen by xtractorMode, the data file's
// extension and whether cys names a reagent mixture.
std::string specFeaturesHeader();

// Heavy minus light mass of the reagent pair named by cys; 0.0 for a "-mix"
// name that is none of the four known ones. Returns 0.
int mixtureMassDifference(double& difference);
