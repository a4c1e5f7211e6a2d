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
//   wall seconds, CPU seconds, peak memory kB   what the program took, as
//                        the operating system counts it: from start to
//                        end, user and system processor time, largest
//                        resident size (empty when it was not started)
//   spectra written      the numOutputSpectra of its runStats.txt blocks
//   peak-list files      the files in peaklists/
//   rejected             the rows of its xtractorRejectReasons.txt
//   report               report.html, or why it was not made
//   then every key the program was given with its value; its source is
//   "given", "front ends' default" (where that differs from the program's)
//   or "program's default"; the keys quarrow-extract sets for the run say
//   "set for the run".
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/cgi_launch.h"
#include "frontend/extract_command.h"

inline constexpr const char* runRecordName = "run.tsv";

struct RunCounts {
    long spectraWritten = 0;
    // Of each peak-list format, in the order of peakListFormatTable().
    std::vector<int> peakListFiles = {};
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
// The error of a run whose program ended badly without its failure line:
// how it ended, "yepharvest was ended by signal 9 (Killed) before it said
// why." or "yepharvest ended with exit status 3 without saying why."
std::string endedWithoutSayingWhy(const std::string& program, const LaunchOutcome& outcome);
// runStats.txt's text with no count above 0 (every value of its "name<TAB>
// value" lines a 0); a warning or a name is something.
bool statisticsOfNothing(std::string_view text);
// A file of a run that holds nothing: a log with no row after its header
// (or no header either), runStats.txt with no count above 0, an empty peak
// list.
bool holdsNothing(const std::filesystem::path& file);
// What a run that did not succeed leaves in its folder besides its record:
// only the files that hold something. A log without a row (its header, or
// nothing), a statistics log whose every count is 0 and an empty folder
// look like results of nothing, and are removed.
void clearEmptyResults(const std::string& folder);

// One run of a call in its tally: its folder and outcomeWord, or "not run"
// for a run an interrupt kept from starting.
struct TalliedRun {
    std::string folder;
    std::string outcome;
};
// The end of a several-run call: a line of counts, then each run's outcome
// and folder, a line each:
//   3 runs: 1 finished, 1 failed, 1 stopped
//     finished  DIR/a/
//     failed    DIR/b/
//     stopped   DIR/c/
// ("not run" counted too when a run was not started.)
std::string tallyText(const std::vector<TalliedRun>& runs);
std::string recordText(const ExtractRun& run, const std::vector<QueryEntry>& given, const RunRecord& record);
// The line that closes a run's progress: "BSA2: 843 spectra written to 1
// MGF file, 1,204 rejected; record DIR/BSA2/run.tsv", or what failed.
std::string closingLine(const ExtractRun& run, const RunRecord& record);
// 1,204
std::string groupedNumber(long number);
