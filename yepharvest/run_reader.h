#pragma once
// Reads one first-vendor run, every spectrum at once, into the run table,
// and prints the run's identity and acquisition parameters for the browser.
#include <string>

#include "core/extractor/extraction_context.h"
#include "yepharvest/ms_scan.h"

// `runPath` is the run folder, or the export file itself. 0 when the run was
// read, 1 when opening or reading failed (the records read so far stay, and
// the page says that the run goes on with those).
int readVelmoraDataIntoMemory(const std::string& runPath, RunTable& run, const ExtractionContext& context);

// Appends the run's identity lines to runStats.txt; `acquisitionDate` in
// days since 30 December 1899.
void writeRunInfo(const std::string& analysisName, const std::string& sampleName, double acquisitionDate,
                  LogSink& runStats);
