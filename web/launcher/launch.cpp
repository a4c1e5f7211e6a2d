#include "web/launcher/launch.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <set>
#include <system_error>
#include <variant>

#include "core/extractor/query_keys.h"
#include "frontend/key_values.h"
#include "frontend/plain_progress.h"
#include "frontend/run_catalog.h"
#include "frontend/run_record.h"
#include "web/launcher/form_page.h"
#include "web/launcher/html_text.h"
#include "web/launcher/page_frame.h"
#include "frontend/program_run.h"
#include "web/launcher/progress_page.h"
#include "web/launcher/report_maker.h"
#include "web/launcher/request_folder.h"
#include "web/launcher/request_query.h"
#include "web/launcher/request_record.h"
#include "web/launcher/request_view.h"
#include "web/launcher/result_files.h"
#include "frontend/root_runs.h"
#include "frontend/time_text.h"

namespace fs = std::filesystem;

namespace {

// The statistics block of one run is a few hundred bytes; a shared log
// folder may hold many runs, of which only this one's are shown.
constexpr std::size_t runStatisticsLimit = 64 * 1024;

// Counts the time while the program runs; the banner says it when it ends.
constexpr const char* elapsedClock = R"(<p class="elapsed">Running for <span id="elapsed">0:00</span></p>
<script>
const runStarted = Date.now();
const runClock = setInterval(() => {
    if (document.getElementById('outcome')) {
        clearInterval(runClock);
        return;
    }
    const seconds = Math.floor((Date.now() - runStarted) / 1000);
    document.getElementById('elapsed').textContent = Math.floor(seconds / 60) + ':' + String(seconds % 60).padStart(2, '0');
}, 1000);
</script>
)";

void emit(const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written <= 0) return;  // the browser went away; the run goes on
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void emit(const PageHtml& html) { emit(html.html()); }

bool isExecutableFile(const fs::path& program) {
    std::error_code error;
    return fs::is_regular_file(program, error) && ::access(program.c_str(), X_OK) == 0;
}

std::string localTime(std::chrono::system_clock::time_point when) {
    return timeText(when, TimeStyle::local);
}

// Lexically: both come from the launcher's own records.
bool isInside(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

std::string entriesText(const std::vector<QueryEntry>& entries) {
    std::string text;
    for (const QueryEntry& entry : entries) text += (text.empty() ? "" : ", ") + entry.name + "=" + entry.value;
    return text;
}

// The spectra a run wrote, from its statistics blocks (one per sample of a
// .wiff file); "" when it wrote no block.
std::string spectraWritten(const std::string& statistics) {
    constexpr std::string_view counter = "numOutputSpectra\t";
    long total = 0;
    bool counted = false;
    for (std::size_t at = statistics.find(counter); at != std::string::npos; at = statistics.find(counter, at + 1)) {
        if (at > 0 && statistics[at - 1] != '\n') continue;
        total += std::atol(statistics.c_str() + at + counter.size());
        counted = true;
    }
    return counted ? std::to_string(total) : "";
}

// A request whose records cannot all be kept (a full disk) has failed, even
// when its program finished: the results pages could not tell what it did.
// Its outcome is still kept, over the running one if need be.
void recordOutcome(const fs::path& folder, RequestOutcome& outcome, const std::optional<std::string>& unwritten) {
    const auto failWith = [&](const std::string& reason) {
        outcome.status = "failed";
        if (outcome.error.empty()) outcome.error = "The request's records cannot be written: " + reason + ".";
    };
    if (unwritten) failWith(*unwritten);
    if (const std::optional<std::string> reason = writeOutcome(folder, outcome)) {
        failWith(*reason);
        overwriteOutcome(folder, outcome);
    }
}

std::string endedText(const ProgramOutcome& ended) {
    if (!ended.started) return "not started: " + ended.failure;
    if (ended.signal != 0) return "signal " + std::to_string(ended.signal) + " (" + strsignal(ended.signal) + ")";
    return "exit status " + std::to_string(ended.exitStatus);
}

int showForm(Program program, const LaunchConfig& config, const std::vector<QueryEntry>& entries) {
    FormPageInputs inputs{program, runsToPick(config.roots.data, program),
                          cysteineChoices(config.workDir / "msparams_quarrow" / "cysteines.tsv"),
                          config.roots.data.string(), config.roots.results.string(), "", {}};
    if (const std::optional<std::string> again = lastQueryValue(entries, "again")) {
        const std::optional<fs::path> folder = requestFolder(config.roots.results, *again);
        if (!folder) {
            emit(errorResponse(404, programName(program), "There is no request \"" + *again + "\" under the results root."));
            return 0;
        }
        inputs.againOf = *again;
        for (QueryEntry entry : readQuery(*folder)) {
            const fs::path value = entry.value;
            if (entry.name == keyOfRole(KeyRole::runData).name && isInside(value, config.roots.data)) {
                entry.value = shownRun(config.roots.data, value.lexically_relative(config.roots.data).generic_string());
            }
            inputs.settings.push_back(entry);
        }
    } else if (lastQueryValue(entries, filledFormMarker)) {
        // A refused request's values, as the user gave them.
        std::copy_if(entries.begin(), entries.end(), std::back_inserter(inputs.settings),
                     [](const QueryEntry& entry) { return entry.name != filledFormMarker; });
    }
    emit(htmlHeader() + formPage(inputs).html());
    return 0;
}

// The request, as the top of its run page says it.
PageHtml requestFacts(Program program, const CheckedRequest& request, const LaunchConfig& config) {
    const std::string name = request.requestFolder.filename().string();
    PageHtml facts = element("p", {{"class", "request"}},
                             PageHtml("Run " + request.dataFile.lexically_relative(config.roots.data).generic_string() +
                                      "; request ") +
                                 link(requestUrl(name), PageHtml(name)) + PageHtml("."));
    if (!request.filled.empty()) {
        facts += element("p", {{"class", "filled"}},
                         PageHtml("The front ends' defaults filled in for keys the request left out: " +
                                  entriesText(request.filled) + "."));
    }
    if (!request.ignored.empty()) {
        std::string names;
        for (const std::string& ignored : request.ignored) names += (names.empty() ? "" : ", ") + ignored;
        facts += element("p", {{"class", "ignored"}},
                         PageHtml("Passed on to " + programName(program) + ", which reads none of them: " + names + "."));
    }
    return facts + PageHtml::markup("\n");
}

std::string filesText(const fs::path& root, const std::vector<fs::path>& files) {
    std::string text;
    for (const fs::path& file : files) text += file.lexically_relative(root).generic_string() + "\n";
    return text;
}

int runRequest(Program program, const LaunchConfig& config, const CheckedRequest& request) {
    const auto started = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    RequestOutcome outcome;
    outcome.program = programName(program);
    outcome.run = request.dataFile.string();
    outcome.status = "running";
    outcome.started = localTime(std::chrono::system_clock::now());
    const QueryKey& formatKey = keyOfField(&ExtractorParameters::peakListFormat);
    outcome.peakListFormat = lastQueryValue(request.entries, formatKey.name).value_or(formatKey.programDefault);
    outcome.filled = entriesText(request.filled);
    outcome.launcher = std::to_string(::getpid());
    std::optional<std::string> unwritten =
        writeRecordFile(request.requestFolder / queryFileName, formatQueryString(request.entries) + "\n");
    if (!unwritten) {
        unwritten = writeRecordFile(request.requestFolder / settingsFileName,
                                    requestSettingsText(request.entries, request.filled));
    }
    if (!unwritten) unwritten = writeOutcome(request.requestFolder, outcome);
    if (unwritten) {
        // Nothing has run: a request without its record would be listed as
        // one that never said what came of it.
        std::error_code ignored;
        fs::remove_all(request.requestFolder, ignored);
        emit(errorResponse(507, "Request failed",
                           "The request's record cannot be written under the results root (" + *unwritten +
                               "), so nothing was run."));
        return 0;
    }

    const FolderSnapshot peakListsBefore = snapshotFolder(request.resultsDir);
    const FolderSnapshot logsBefore = snapshotFolder(request.logDir);
    const std::uintmax_t statisticsBefore = sizeOrZero(request.logDir / "runStats.txt");
    emit(htmlHeader() + (pageStart(programName(program) + ": " + request.runName) +
                         PageHtml::markup("<main class=\"run\">\n") + requestFacts(program, request, config) +
                         PageHtml::markup(elapsedClock) + element("h2", PageHtml("Progress")) +
                         PageHtml::markup("\n<div class=\"progress\">\n"))
                            .html());

    // A browser that leaves, or a server that gives up on it, must not stop
    // the run before it has written its files and its outcome.
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
    ProgressPage progress(program == Program::wiffharvest);
    const ProgramOutcome ended =
        runStreaming(config.programDir / programName(program), config.workDir, formatQueryString(request.entries),
                     [&](std::string_view bytes) { emit(progress.feed(bytes, seconds())); });
    emit(progress.finish(seconds()) + PageHtml::markup("</div>\n"));

    const std::string statistics = readTail(request.logDir / "runStats.txt", statisticsBefore, runStatisticsLimit);
    const bool failed = !ended.started || ended.signal != 0 || ended.exitStatus != 0;
    outcome.status = failed ? "failed" : "finished";
    outcome.seconds = std::to_string(seconds());
    outcome.ended = endedText(ended);
    outcome.spectraWritten = spectraWritten(statistics);
    outcome.error = failed ? ended.error : "";
    outcome.launcher.clear();
    std::vector<fs::path> files = changedFiles(request.resultsDir, peakListsBefore);
    if (request.logDir != request.resultsDir) {
        const std::vector<fs::path> logs = changedFiles(request.logDir, logsBefore);
        files.insert(files.end(), logs.begin(), logs.end());
    }
    unwritten = writeRecordFile(request.requestFolder / progressFileName, progress.plainText());
    if (const auto filesUnwritten = writeRecordFile(request.requestFolder / filesFileName,
                                                    filesText(config.roots.results, files))) {
        unwritten = filesUnwritten;
    }
    recordOutcome(request.requestFolder, outcome, unwritten);

    // A failed run says so first, and shows no statistics or report of nothing.
    PageHtml results = outcomeBanner(outcome);
    if (!statistics.empty() && !(failed && statisticsOfNothing(statistics))) {
        results += element("h2", PageHtml("Run statistics")) +
                   element("pre", {{"class", "runstats"}}, PageHtml(statistics)) + PageHtml::markup("\n");
    }
    std::optional<std::string> reportProblem;
    if (!failed) {
        emit(results + element("p", {{"id", "making-report"}}, PageHtml("Making the run report ...")) +
             PageHtml::markup("\n"));
        results = PageHtml();
        reportProblem = makeRunReport(config.programDir / "quarrow-report", program, request);
    }
    PageHtml end = results + filesSection(config.roots.results, request.requestFolder.filename().string(), files, failed);
    if (reportProblem) end += element("p", {{"class", "notice"}}, PageHtml(*reportProblem + ".")) + PageHtml::markup("\n");
    end += element("p", link(runAgainUrl(programName(program), request.requestFolder.filename().string()),
                             PageHtml("Run again with these settings"), {{"id", "again"}}));
    emit(end + PageHtml::markup("\n</main>\n") + pageEnd());
    return 0;
}

}  // namespace

int launchProgram(Program program, const LaunchConfig& config) {
    const std::string name = programName(program);
    const fs::path binary = config.programDir / name;
    if (!isExecutableFile(binary)) {
        emit(errorResponse(503, name + " is not available",
                           name + " is not installed on this server (no program at " + binary.string() +
                               "). Build it, then send the request again."));
        return 0;
    }
    const std::optional<std::string> text = readRequestQuery();
    if (!text) {
        emit(errorResponse(413, "Request refused", "The query is longer than " + std::to_string(maxQueryBytes) +
                                                       " bytes."));
        return 0;
    }
    const std::vector<QueryEntry> entries = parse_query_entry(*text);
    const char* method = std::getenv("REQUEST_METHOD");
    const bool posted = method != nullptr && std::string_view(method) == "POST";
    if ((entries.empty() && !posted) || lastQueryValue(entries, "again") || lastQueryValue(entries, filledFormMarker)) {
        return showForm(program, config, entries);
    }

    const RequestRules rules{program, config.roots,
                             cysteineChoices(config.workDir / "msparams_quarrow" / "cysteines.tsv")};
    const auto checked = checkRequest(entries, rules, [&](const std::string& runName) {
        return makeRequestFolder(config.roots.results, runName);
    });
    if (const auto* refusal = std::get_if<Refusal>(&checked)) {
        emit(errorResponse(refusal->status, "Request refused", refusal->reason,
                           link(filledFormUrl(name, entries), PageHtml("Back to the form with these values"),
                                {{"id", "back"}}) +
                               PageHtml(": change what was refused and extract again.")));
        return 0;
    }
    const CheckedRequest& request = std::get<CheckedRequest>(checked);
    std::error_code error;
    fs::create_directories(request.resultsDir, error);
    if (!error) fs::create_directories(request.logDir, error);
    if (error) {
        std::error_code ignored;
        fs::remove_all(request.requestFolder, ignored);
        emit(errorResponse(500, "Request failed", "The result folders cannot be made: " + error.message()));
        return 0;
    }
    return runRequest(program, config, request);
}
