#pragma once
// Prepares the process for one extraction run: browser output, query,
// parameters, chemistry, peak-picking settings and the output files.
#include <vector>

#include "core/extractor/extraction_context.h"
#include "core/extractor/output_files.h"
#include "core/util/cgi_query.h"

// The CGI start-up: reads the query from the environment (or the request
// body), opens the four logs for the rest of the process (the features
// header for the program's `rows`) and returns the context. Every failure
// inside ends the process.
ExtractionContext initialiseExtractor(FeaturesRows rows);

// What the start-up does with a query once it has it: parameters, chemistry
// tables and peak-picking settings, writing to the given logs. A numeric
// value outside its range (parameter_ranges.h) ends the process.
ExtractionContext prepareExtraction(const std::vector<QueryEntry>& entries, ExtractionLogs logs);
