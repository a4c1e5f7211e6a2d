#include "web/launcher/launch.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <system_error>
#include <variant>

#include "web/launcher/html_text.h"
#include "web/launcher/page_frame.h"
#include "web/launcher/program_run.h"
#include "web/launcher/request_folder.h"
#include "web/launcher/request_query.h"
#include "web/launcher/result_files.h"

namespace fs = std::filesystem;

namespace {

// The statistics block of one run is a few hundred bytes; a shared log
// folder may hold many runs, of which only this one's are shown.
constexpr std::size_t runStatisticsLimit = 64 * 1024;

void emit(const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written <= 0) return;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

bool isExecutableFile(const fs::path& program) {
    std::error_code error;
    return fs::is_regular_file(program, error) && ::access(program.c_str(), X_OK) == 0;
}

std::string link(const fs::path& root, const fs::path& file) {
    return "<a href=\"" + escapeHtml(resultUrl(root, file)) + "\">" + escapeHtml(file.filename().string()) + "</a>";
}

std::string outcomeText(const std::string& programName, const ProgramOutcome& outcome) {
    if (!outcome.started) return "<p class=\"failed\">" + programName + " could not be started: " + outcome.failure + "</p>\n";
    if (outcome.signal != 0) {
        return "<p class=\"failed\">" + programName + " was stopped by signal " + std::to_string(outcome.signal) +
               " (" + strsignal(outcome.signal) + "); its files may be incomplete.</p>\n";
    }
    if (outcome.exitStatus != 0) {
        return "<p class=\"failed\">" + programName + " ended with exit status " + std::to_string(outcome.exitStatus) +
               ": the run failed, see the messages above.</p>\n";
    }
    return "<p class=\"finished\">" + programName + " finished (exit status 0).</p>\n";
}

struct RunFiles {
    PeakListSnapshot peakListsBefore;
    std::uintmax_t runStatsBefore = 0;
};

std::string resultsSection(const CheckedRequest& request, const fs::path& resultsRoot, const RunFiles& before) {
    const std::vector<fs::path> peakLists = changedPeakLists(request.resultsDir, before.peakListsBefore);
    std::string html = "<section id=\"results\">\n<h2>Results</h2>\n<p>Peak lists: " +
                       escapeHtml(request.resultsDir.string()) + "/<br>Logs: " + escapeHtml(request.logDir.string()) +
                       "/</p>\n<h3>Logs</h3>\n<ul class=\"logs\">\n";
    for (const std::string& name :
         {std::string("runStats.txt"), request.specFeaturesFilename, std::string("xtractorRejectReasons.txt"), std::string("parentChargeCheck.txt")}) {
        const fs::path file = request.logDir / name;
        if (fs::exists(file)) html += "<li>" + link(resultsRoot, file) + "</li>\n";
    }
    html += "</ul>\n";
    const fs::path runStats = request.logDir / "runStats.txt";
    const std::string statistics = readTail(runStats, before.runStatsBefore, runStatisticsLimit);
    if (!statistics.empty()) {
        html += "<h3>Run statistics</h3>\n<pre class=\"runstats\">" + escapeHtml(statistics) + "</pre>\n";
    }
    html += "<h3>Peak lists (" + std::to_string(peakLists.size()) + ")</h3>\n<ul class=\"peaklists\">\n";
    for (const fs::path& file : peakLists) html += "<li>" + link(resultsRoot, file) + "</li>\n";
    html += "</ul>\n";
    const fs::path relative = request.resultsDir.lexically_relative(resultsRoot);
    const std::string folder = relative.begin() == relative.end() ? std::string() : relative.begin()->string();
    if (!folder.empty() && folder != "." && folder != "..") {
        html += "<p><a href=\"/cgi-bin/results?request=" + escapeHtml(percentEncode(folder)) +
                "\">Results page of this request</a></p>\n";
    }
    return html + "</section>\n";
}

}  // namespace

int launchProgram(const std::string& programName, const LaunchConfig& config) {
    const fs::path program = config.programDir / programName;
    if (!isExecutableFile(program)) {
        emit(errorResponse(503, programName + " is not available",
                           programName + " is not installed on this server (no program at " + program.string() +
                               "). Build it, then send the request again."));
        return 0;
    }
    const std::optional<std::string> text = readRequestQuery();
    if (!text) {
        emit(errorResponse(413, "Request refused", "The query is longer than " + std::to_string(maxQueryBytes) +
                                                       " bytes."));
        return 0;
    }
    const auto checked = checkRequest(parse_query_entry(*text), config.roots, [&](const std::string& runName) {
        return makeRequestFolder(config.roots.results, runName);
    });
    if (const auto* refusal = std::get_if<Refusal>(&checked)) {
        emit(errorResponse(refusal->status, "Request refused", refusal->reason));
        return 0;
    }
    const CheckedRequest& request = std::get<CheckedRequest>(checked);
    std::error_code error;
    fs::create_directories(request.resultsDir, error);
    if (!error) fs::create_directories(request.logDir, error);
    if (error) {
        emit(errorResponse(500, "Request failed", "The result folders cannot be made: " + error.message()));
        return 0;
    }

    const RunFiles before{snapshotPeakLists(request.resultsDir), sizeOrZero(request.logDir / "runStats.txt")};
    emit(std::string(htmlHeader) + pageStart(programName) + "<p class=\"run\">Run: " +
         escapeHtml(request.dataFile.string()) + "</p>\n<div class=\"progress\">\n");
    const ProgramOutcome outcome = runStreaming(program, config.workDir, encodeQuery(request.entries), STDOUT_FILENO);
    emit("\n</div>\n" + outcomeText(programName, outcome) + resultsSection(request, config.roots.results, before) +
         pageEnd());
    return 0;
}
