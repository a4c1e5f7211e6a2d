#pragma once
// What quarrow-extract keeps of each run in its folder, run.tsv: a table of
// three columns, "field", "value" and "source", one row per field, each
// field kept on one line as tsvField writes it (\\, \t, \n, \r, \xHH):
//
//   run, input, data file, program, program path, version  what ran
//   start, end           ISO 8601 UTC, to the second
//   outcome              ok, failed (the program's error), stopped (a
//                        signal ended it) or not started
//   exit status, signal  how the program ended (empty when it did not)
//   error                the first sentence of its failure line, or why
//                        it could not be started
//   spectra written      the numOutputSpectra of its runStats.txt blocks
//   peak-list files      the files in peaklists/
//   rejected             the rows of its xtractorRejectReasons.txt
//   report               report.html, or why it was not made
//   then every key the program was given with its value; its source is
//   "given", "front ends' default" (where that differs from the program's)
//   or "program's default"; the keys quarrow-extract sets for the run say
//   "set for the run".
#include <chrono>
#include <optional>
#include <string>

#include "frontend/cgi_launch.h"
#include "frontend/extract_command.h"

inline constexpr const char* runRecordName = "run.tsv";

struct RunCounts {
    long spectraWritten = 0;
    int mgfFiles = 0;
    int pklFiles = 0;
    long rejected = 0;
};

// The counts of the logs and peak lists in a run's folder.
RunCounts countRun(const std::string& folder);

struct RunRecord {
    std::string version = {};
    std::chrono::system_clock::time_point start = {};
    std::chrono::system_clock::time_point end = {};
    // Nothing when the program could not be started; `error` then says why.
    std::optional<LaunchOutcome> outcome = {};
    std::string error = {};
    RunCounts counts = {};
    std::string report = {};
};

// "ok", "failed", "stopped" or "not started".
std::string outcomeWord(const RunRecord& record);
std::string recordText(const ExtractRun& run, const std::vector<QueryEntry>& given, const RunRecord& record);
// The line that closes a run's progress: "BSA2: 843 spectra written to 1
// MGF file, 1,204 rejected; record DIR/BSA2/run.tsv", or what failed.
std::string closingLine(const ExtractRun& run, const RunRecord& record);
// 1,204
std::string groupedNumber(long number);
