#include "web/launcher/results_page.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <system_error>
#include <vector>

#include "core/extractor/query_keys.h"
#include "core/util/cgi_query.h"
#include "web/launcher/html_text.h"
#include "web/launcher/page_frame.h"
#include "web/launcher/progress_page.h"
#include "web/launcher/request_archive.h"
#include "web/launcher/request_folder.h"
#include "web/launcher/request_query.h"
#include "web/launcher/request_record.h"
#include "web/launcher/request_view.h"
#include "web/launcher/result_files.h"
#include "frontend/root_paths.h"

namespace fs = std::filesystem;

namespace {

struct Request {
    std::string name;
    std::optional<RequestOutcome> outcome;
    fs::file_time_type time;
};

// The run as the data root names it.
std::string runText(const LaunchConfig& config, const std::string& dataFile) {
    const fs::path relative = fs::path(dataFile).lexically_relative(config.roots.data);
    return relative.empty() || relative.begin()->string() == ".." ? dataFile : relative.generic_string();
}

PageHtml cell(const PageHtml& content) { return element("td", content); }

PageHtml requestList(const LaunchConfig& config) {
    std::vector<Request> requests;
    std::error_code error;
    for (fs::directory_iterator it(config.roots.results, error), end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (!it->is_directory(kindError)) continue;
        requests.push_back({it->path().filename().string(), readOutcome(it->path()),
                            fs::last_write_time(it->path(), kindError)});
    }
    // Newest first: by the time a request started, else by its folder's.
    std::sort(requests.begin(), requests.end(), [](const Request& a, const Request& b) {
        const std::string startA = a.outcome ? a.outcome->started : "";
        const std::string startB = b.outcome ? b.outcome->started : "";
        return startA != startB ? startA > startB : a.time > b.time;
    });
    if (requests.empty()) return element("p", PageHtml("No requests yet."));
    PageHtml rows = element("tr", PageHtml::markup("<th>Started</th><th>Took</th><th>Status</th><th>Program</th><th>Run</th>"
                                                   "<th>Spectra written</th><th>Format</th><th>Request</th><th></th>"));
    for (const Request& request : requests) {
        const RequestOutcome outcome = request.outcome.value_or(RequestOutcome{});
        const std::string status = request.outcome ? statusOf(outcome) : "no record";
        const std::string took = outcome.seconds.empty() ? "" : elapsedText(std::atof(outcome.seconds.c_str()));
        const PageHtml again = outcome.program.empty()
                                   ? PageHtml()
                                   : link(runAgainUrl(outcome.program, request.name), PageHtml("run again with these settings"));
        rows += PageHtml::markup("\n") +
                element("tr", {{"class", status}},
                        cell(PageHtml(outcome.started)) + cell(PageHtml(took)) +
                            element("td", {{"class", "status"}}, PageHtml(status)) +
                            cell(PageHtml(outcome.program)) +
                            element("td", {{"class", "run"}}, PageHtml(runText(config, outcome.run))) +
                            element("td", {{"class", "number"}}, PageHtml(outcome.spectraWritten)) +
                            cell(PageHtml(outcome.peakListFormat)) +
                            element("td", {{"class", "request"}}, link(requestUrl(request.name), PageHtml(request.name))) +
                            cell(again));
    }
    return element("table", {{"class", "requests"}}, rows + PageHtml::markup("\n")) + PageHtml::markup("\n");
}

// The settings the program got, labelled as the form labels them.
PageHtml settingsTable(const std::vector<QueryEntry>& settings) {
    PageHtml rows;
    for (const QueryEntry& entry : settings) {
        const QueryKey* key = findQueryKey(entry.name);
        rows += element("tr", element("th", PageHtml(key != nullptr ? key->label : "")) +
                                  cell(element("code", PageHtml(entry.name))) + cell(PageHtml(entry.value))) +
                PageHtml::markup("\n");
    }
    return element("table", {{"class", "settings"}}, PageHtml::markup("\n") + rows) + PageHtml::markup("\n");
}

// What the run wrote: its list, or for a request folder from before the
// launcher kept one, every file in it.
std::vector<fs::path> writtenFiles(const LaunchConfig& config, const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::is_regular_file(folder / filesFileName, error)) {
        for (const fs::path& written : readFileList(folder)) {
            if (const std::optional<fs::path> file = resolveInsideRoot(config.roots.results, written.string())) {
                files.push_back(*file);
            }
        }
        return files;
    }
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it.depth() > 1) it.disable_recursion_pending();
        std::error_code kindError;
        if (it->is_regular_file(kindError)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string requestPage(const LaunchConfig& config, const std::string& name) {
    const std::optional<fs::path> folder = requestFolder(config.roots.results, name);
    if (!folder) return errorResponse(404, "Results", "There is no request \"" + name + "\" under the results root.");
    PageHtml html = pageStart("Request " + name);
    html += element("p", link("/cgi-bin/results", PageHtml("All requests")));
    const std::optional<RequestOutcome> outcome = readOutcome(*folder);
    if (outcome) {
        html += outcomeBanner(*outcome);
        PageHtml facts = PageHtml(outcome->program + " on " + runText(config, outcome->run) + ", started " +
                                  outcome->started + ". ");
        facts += link(runAgainUrl(outcome->program, name), PageHtml("Run again with these settings"), {{"id", "again"}});
        facts += PageHtml(". ") + link(resultUrl(config.roots.results, *folder / progressFileName),
                                       PageHtml("What the program printed"));
        html += element("p", facts) + PageHtml::markup("\n");
        if (!outcome->filled.empty()) {
            html += element("p", PageHtml("The front ends' defaults filled in: " + outcome->filled + "."));
        }
    }
    const std::vector<QueryEntry> settings = readQuery(*folder);
    if (!settings.empty()) html += element("h2", PageHtml("Settings")) + settingsTable(settings);
    html += filesSection(config.roots.results, folder->filename().string(), writtenFiles(config, *folder),
                         outcome && statusOf(*outcome) == "failed");
    return htmlHeader() + (html + pageEnd()).html();
}

}  // namespace

int showResults(const LaunchConfig& config) {
    std::string request;
    std::string archive;
    if (const std::optional<std::string> text = readRequestQuery()) {
        for (const QueryEntry& entry : parse_query_entry(*text)) {
            if (entry.name == "request") request = entry.value;
            if (entry.name == "archive") archive = entry.value;
        }
    }
    if (!archive.empty()) return sendArchive(config, archive);
    if (!request.empty()) {
        std::cout << requestPage(config, request) << std::flush;
        return 0;
    }
    std::cout << htmlHeader() << (pageStart("Results") + requestList(config) + pageEnd()).html() << std::flush;
    return 0;
}
