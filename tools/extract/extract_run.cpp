#include "tools/extract/extract_run.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "core/extractor/query_keys.h"
#include "core/util/committed_file.h"
#include "frontend/plain_progress.h"
#include "frontend/program_run.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* reportName = "report.html";

std::string entriesText(const std::vector<QueryEntry>& entries) {
    std::string text;
    for (const QueryEntry& entry : entries) text += (text.empty() ? "" : ", ") + entry.name + "=" + entry.value;
    return text;
}

// Removes what an earlier extraction of the run left; true when there was
// any (empty folders, as a workflow makes them before a job, are nothing).
bool removeEarlierResults(const fs::path& folder) {
    bool found = false;
    for (const std::string& name : runFolderEntries()) {
        const fs::path entry = folder / name;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(entry, error);
        if (!fs::exists(status)) continue;
        found = found || !fs::is_directory(status) || !fs::is_empty(entry, error);
        // A link goes, never what it points to.
        fs::remove_all(entry, error);
        if (error) throw LaunchError("cannot remove the earlier " + entry.string() + ": " + error.message());
    }
    return found;
}

void makeFolders(const ExtractRun& run) {
    for (const QueryKey& key : queryKeys()) {
        if (key.role != KeyRole::folder) continue;
        std::error_code error;
        fs::create_directories(fs::path(run.folder) / key.frontEndFolder, error);
        if (error) throw LaunchError("cannot make " + run.folder + key.frontEndFolder + "/: " + error.message());
    }
}

// A tool with these arguments, no standard input, its standard output and
// error kept together: its exit status (-1: not started) and what it said.
std::pair<int, std::string> runTool(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const auto [outcome, said] = runToolKeepingOutput(command);
    if (!outcome.started) return {-1, program + " could not be started: " + outcome.failure};
    if (outcome.signal != 0) return {128 + outcome.signal, said + "stopped by signal " + std::to_string(outcome.signal)};
    return {outcome.exitStatus, said};
}

// The run's report beside its record: "report.html", or why there is none.
std::string makeReport(const ExtractRun& run, const ExtractCommand& command,
                       const std::function<void(const std::string&)>& warn) {
    const std::string features = lastQueryValue(run.query, keyOfRole(KeyRole::logFileName).name).value_or("");
    const auto [status, said] = runTool(command.report, {"--logs", run.folder + "logs/", "--features", features, "--run",
                                                         run.name, "--data", run.dataFilename, "--output",
                                                         run.folder + reportName});
    std::string first = said.substr(0, said.find('\n'));
    if (first.starts_with("quarrow-report: ")) first.erase(0, 16);
    if (status == 0) {
        // Its notes, each a line of its own.
        for (std::size_t at = 0; at < said.size();) {
            const std::size_t end = std::min(said.find('\n', at), said.size());
            if (end > at) warn(said.substr(at, end - at));
            at = end + 1;
        }
        return reportName;
    }
    const std::string why = "not made: " + (first.empty() ? "quarrow-report ended with status " + std::to_string(status) : first);
    warn(run.name + ": the report was " + why);
    return why;
}

}  // namespace

const std::vector<std::string>& runFolderEntries() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> entries;
        for (const QueryKey& key : queryKeys()) {
            if (key.role == KeyRole::folder) entries.emplace_back(key.frontEndFolder);
        }
        entries.emplace_back(runRecordName);
        entries.emplace_back(reportName);
        return entries;
    }();
    return names;
}

RunRecord extractRun(const ExtractRun& run, const ExtractCommand& command,
                     const std::function<void(const std::string&)>& write,
                     const std::function<void(const std::string&)>& warn) {
    RunRecord record{.version = QUARROW_VERSION, .start = std::chrono::system_clock::now()};
    // The keys and the program's progress only when asked for: a run's
    // outcome must not drown among a hundred stage lines.
    const auto detail = [&](const std::string& text) {
        if (command.verbose) write(text);
    };
    write(programName(run.program) + " " + run.dataFilename + "\n");
    if (!run.note.empty()) write("Note: " + run.note + "\n");
    if (!command.given.empty()) detail("Given: " + entriesText(command.given) + "\n");
    if (!run.filled.empty()) detail("Front ends' defaults filled in: " + entriesText(run.filled) + "\n");
    try {
        if (removeEarlierResults(run.folder)) {
            write(run.name + ": the results of its earlier extraction in " + run.folder + " are replaced\n");
        }
        makeFolders(run);
        PlainProgress progress;
        record.outcome = runAsCgi({run.programPath, command.parameters, formatQueryString(run.query)},
                                  [&](std::string_view bytes) { detail(progress.feed(bytes)); });
        detail(progress.finish());
        if (record.outcome->failure) {
            record.error = record.outcome->failure->sentence;
        } else if (outcomeWord(record) != "ok") {
            record.error = endedWithoutSayingWhy(programName(run.program), *record.outcome);
        }
    } catch (const LaunchError& failure) {
        record.error = failure.what();
    }
    record.end = std::chrono::system_clock::now();
    if (outcomeWord(record) != "ok") clearEmptyResults(run.folder);
    record.counts = countRun(run.folder);
    record.report = outcomeWord(record) == "ok" ? makeReport(run, command, warn) : "not made: the run did not succeed";
    std::error_code error;
    if (fs::is_directory(run.folder, error)) {
        if (const std::optional<FileFailure> failure =
                commitWholeFile(run.folder + runRecordName, recordText(run, command.given, record), "Function: quarrow-extract")) {
            warn(run.name + ": cannot write its record " + run.folder + runRecordName + ": " + std::strerror(failure->error));
        }
    }
    return record;
}
