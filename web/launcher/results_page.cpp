#include "web/launcher/results_page.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <system_error>
#include <vector>

#include "core/util/cgi_query.h"
#include "web/launcher/html_text.h"
#include "web/launcher/page_frame.h"
#include "web/launcher/request_query.h"
#include "web/launcher/result_files.h"
#include "web/launcher/root_paths.h"

namespace fs = std::filesystem;

namespace {

// A request folder holds peaklists/ and logs/; deeper files are not shown.
std::vector<fs::path> filesOf(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it.depth() > 1) it.disable_recursion_pending();
        if (it->is_regular_file(error)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string fileLinks(const fs::path& root, const std::vector<fs::path>& files, bool peakLists) {
    std::string html = peakLists ? "<ul class=\"peaklists\">\n" : "<ul class=\"logs\">\n";
    for (const fs::path& file : files) {
        if ((file.extension() == ".pkl") != peakLists) continue;
        html += "<li><a href=\"" + escapeHtml(resultUrl(root, file)) + "\">" +
                escapeHtml(file.lexically_relative(root).generic_string()) + "</a></li>\n";
    }
    return html + "</ul>\n";
}

std::string requestList(const fs::path& root) {
    struct Request {
        fs::path folder;
        fs::file_time_type time;
    };
    std::vector<Request> requests;
    std::error_code error;
    for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) requests.push_back({it->path(), fs::last_write_time(it->path(), error)});
    }
    std::sort(requests.begin(), requests.end(), [](const Request& a, const Request& b) { return a.time > b.time; });
    if (requests.empty()) return "<p>No requests yet.</p>\n";
    std::string html = "<table class=\"requests\">\n<tr><th>Request</th><th>Peak lists</th></tr>\n";
    for (const Request& request : requests) {
        const std::vector<fs::path> files = filesOf(request.folder);
        const auto peakLists = std::count_if(files.begin(), files.end(), [](const fs::path& f) { return f.extension() == ".pkl"; });
        const std::string name = request.folder.filename().string();
        html += "<tr><td><a href=\"/cgi-bin/results?request=" + escapeHtml(percentEncode(name)) + "\">" +
                escapeHtml(name) + "</a></td><td>" + std::to_string(peakLists) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

}  // namespace

int showResults(const LaunchConfig& config) {
    const fs::path& root = config.roots.results;
    std::string name;
    if (const std::optional<std::string> text = readRequestQuery()) {
        for (const QueryEntry& entry : parse_query_entry(*text)) {
            if (entry.name == "request") name = entry.value;
        }
    }
    std::string page;
    if (name.empty()) {
        page = std::string(htmlHeader) + pageStart("Results") + requestList(root);
    } else {
        const std::optional<fs::path> folder = isPlainFileName(name) ? resolveInsideRoot(root, name) : std::nullopt;
        std::error_code error;
        if (!folder || !fs::is_directory(*folder, error)) {
            page = errorResponse(404, "Results", "There is no request \"" + name + "\" under the results root.");
            std::cout << page << std::flush;
            return 0;
        }
        const std::vector<fs::path> files = filesOf(*folder);
        page = std::string(htmlHeader) + pageStart("Results of " + name) + "<p><a href=\"/cgi-bin/results\">All requests</a></p>\n<h2>Logs</h2>\n" +
               fileLinks(root, files, false) + "<h2>Peak lists</h2>\n" + fileLinks(root, files, true);
    }
    std::cout << page << pageEnd() << std::flush;
    return 0;
}
