#pragma once
// One run of a quarrow-extract call, from its folder to its record: the
// results of an earlier extraction of the run removed, the program started
// as a web server starts it with its progress shown as plain lines, its
// report made, its record written and its closing line printed.
#include <functional>
#include <string>

#include "frontend/extract_command.h"
#include "frontend/run_record.h"

// The entries of a run's folder that an extraction makes, and that a new
// extraction of the run removes first: nothing else in the folder is touched.
const std::vector<std::string>& runFolderEntries();

// `write` prints on standard output; `warn` a line on standard error.
RunRecord extractRun(const ExtractRun& run, const ExtractCommand& command,
                     const std::function<void(const std::string&)>& write,
                     const std::function<void(const std::string&)>& warn);
