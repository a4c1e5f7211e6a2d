#pragma once
// What a reader says of a run export it read while passing over its
// quirks: one line on the page and one row of runStats.txt each, as the
// skipped-scan report reaches both.
#include <string>
#include <vector>

#include "core/extractor/log_sink.h"

// "<BR>exportWarning: <text>" (escaped) on standard output, then
// "exportWarning\t<text>" in `runStats`, for each warning in turn.
void reportExportWarnings(const std::vector<std::string>& warnings, LogSink& runStats);
