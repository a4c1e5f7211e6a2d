#pragma once
// What every request folder keeps beside the peak lists and logs, so that
// the results pages can tell later what was asked and what came of it:
//   query.txt     the query the program got, one line as QUERY_STRING takes it
//   settings.tsv  its keys as a settings file (settings_file.h), each with
//                 its source: what quarrow-extract --settings takes again
//   outcome.txt   "name\tvalue" lines (below)
//   progress.txt  what the program printed, as plain lines
//   files.txt     the files the run wrote, relative to the results root
//   report.html   the run report, report.log what the report tool said
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/util/cgi_query.h"

inline constexpr const char* queryFileName = "query.txt";
inline constexpr const char* settingsFileName = "settings.tsv";
inline constexpr const char* outcomeFileName = "outcome.txt";
inline constexpr const char* progressFileName = "progress.txt";
inline constexpr const char* filesFileName = "files.txt";
inline constexpr const char* reportFileName = "report.html";
inline constexpr const char* reportLogFileName = "report.log";

struct RequestOutcome {
    std::string program;
    std::string run;             // the data file the program read
    std::string status;          // "running", "finished" or "failed"
    std::string started;         // local time, "2024-01-31 14:25:01"
    std::string seconds;         // how long the program ran, "12.3"
    std::string ended;           // "exit status 1", "signal 9"; "" while running
    std::string spectraWritten;  // from the run statistics; "" when it wrote none
    std::string peakListFormat;
    std::string error;           // the program's first error sentence
    std::string filled;          // the front ends' defaults filled in, "lastScan=999999999, ..."
    std::string launcher;        // the launcher's process while it runs
};

// "running" for a record whose launcher has gone (the server was stopped):
// "interrupted".
std::string statusOf(const RequestOutcome& outcome);

// Written whole under a temporary name and renamed, so that a reader never
// sees half a record; a record that cannot be written (a full disk) leaves
// no temporary, and the result says why ("No space left on device").
std::optional<std::string> writeOutcome(const std::filesystem::path& folder, const RequestOutcome& outcome);
// The last resort for a record that cannot be written anew: written over the
// one there, in the room it already takes (a full disk still lets a file's
// own blocks be rewritten). What it could not write is the result.
std::optional<std::string> overwriteOutcome(const std::filesystem::path& folder, const RequestOutcome& outcome);
std::optional<RequestOutcome> readOutcome(const std::filesystem::path& folder);

// The settings file of a request whose program got `entries`, `filled` the
// front ends' defaults among them.
std::string requestSettingsText(const std::vector<QueryEntry>& entries, const std::vector<QueryEntry>& filled);

std::optional<std::string> writeRecordFile(const std::filesystem::path& file, const std::string& text);
std::vector<QueryEntry> readQuery(const std::filesystem::path& folder);
std::vector<std::filesystem::path> readFileList(const std::filesystem::path& folder);
