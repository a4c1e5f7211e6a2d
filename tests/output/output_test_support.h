#pragma once
// Generated runs of both programs and the programs run on them as a web
// server runs them, for the tests of what the programs leave in their log
// and peak-list folders.
#include <string>
#include <vector>

#include "tests/support/work_folder.h"

namespace output_tests {

// A generated run: the program that reads it and the data file the query names.
struct GeneratedRun {
    std::string program;
    std::string dataFile;
};

// The program on the run, from `workingDirectory` (which holds the parameter
// folder), logs into `logs` and peak lists into `peaklists` (both with their
// trailing "/").
inline ProgramRun programRun(const GeneratedRun& run, const std::string& workingDirectory, const std::string& logs,
                             const std::string& peaklists, const std::string& moreQuery = "") {
    ProgramRun program;
    program.program = run.program;
    program.workingDirectory = workingDirectory;
    program.environment = {{"QUERY_STRING", "xtractorDataFilename=" + run.dataFile + "&logFileDir=" + logs +
                                                "&resultsXtractorDir=" + peaklists +
                                                "&specFeaturesFilename=specFeatures.txt&lastScan=999999999" +
                                                moreQuery}};
    return program;
}

// The rows of a log after its header: the header ends without a line feed
// and every row starts with one.
inline std::vector<std::string> logRows(const std::string& text) {
    std::vector<std::string> rows = splitText(text);
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
}

inline std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace output_tests
