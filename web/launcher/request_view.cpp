#include "web/launcher/request_view.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <system_error>

#include "core/extractor/peak_list_formats.h"
#include "core/util/cgi_query.h"
#include "frontend/run_record.h"
#include "web/launcher/html_text.h"
#include "web/launcher/progress_page.h"
#include "web/launcher/result_files.h"

namespace fs = std::filesystem;

namespace {

PageHtml fileList(const char* listClass, const fs::path& resultsRoot, const std::vector<fs::path>& files) {
    PageHtml items;
    for (const fs::path& file : files) {
        items += element("li", link(resultUrl(resultsRoot, file), PageHtml(file.filename().string()))) +
                 PageHtml::markup("\n");
    }
    return element("ul", {{"class", listClass}}, PageHtml::markup("\n") + items) + PageHtml::markup("\n");
}

std::string spectraText(const std::string& count) {
    if (count.empty() || count == "0") return "no spectrum written";
    return count + (count == "1" ? " spectrum" : " spectra") + " written";
}

}  // namespace

PageHtml outcomeBanner(const RequestOutcome& outcome) {
    const std::string status = statusOf(outcome);
    const std::string after = outcome.seconds.empty() ? "" : elapsedText(std::atof(outcome.seconds.c_str()));
    std::string heading;
    std::string said;
    if (status == "finished") {
        heading = "Finished";
        said = " in " + after + ": " + spectraText(outcome.spectraWritten) + ".";
    } else if (status == "failed") {
        heading = "Failed";
        said = " (" + outcome.ended + (after.empty() ? "" : ", after " + after) + "): " +
               (outcome.error.empty() ? "the program printed no error message; its progress tells more." : outcome.error);
        if (said.back() != '.' && said.back() != ')') said += '.';
    } else if (status == "running") {
        heading = "Running";
        said = " since " + outcome.started + ".";
    } else {
        heading = "Interrupted";
        said = ": the run did not end while the server watched it (the server was stopped); its files may be "
               "incomplete.";
    }
    return element("div", {{"id", "outcome"}, {"class", "outcome " + status}},
                   element("strong", PageHtml(heading)) + PageHtml(said)) +
           PageHtml::markup("\n");
}

PageHtml filesSection(const fs::path& resultsRoot, const std::string& requestName,
                      const std::vector<fs::path>& allFiles, bool failed) {
    std::vector<fs::path> files;
    std::copy_if(allFiles.begin(), allFiles.end(), std::back_inserter(files),
                 [&](const fs::path& f) { return !failed || !holdsNothing(f); });
    const auto ofKind = [&](auto keep) {
        std::vector<fs::path> kind;
        std::copy_if(files.begin(), files.end(), std::back_inserter(kind), keep);
        return kind;
    };
    const auto ofFormat = [&](const PeakListFormatEntry& format) {
        return ofKind([&](const fs::path& f) { return peakListFormatOfFile(f.filename().string()) == &format; });
    };
    const std::vector<fs::path> logs =
        ofKind([](const fs::path& f) { return peakListFormatOfFile(f.filename().string()) == nullptr; });

    const fs::path folder = resultsRoot / requestName;
    PageHtml downloads;
    std::error_code error;
    if (!failed && fs::is_regular_file(folder / reportFileName, error)) {
        downloads += element("li", link(resultUrl(resultsRoot, folder / reportFileName), PageHtml("Run report"),
                                        {{"id", "report"}}) +
                                       PageHtml(": the run's spectra, charges and rejects in charts and tables"));
    }
    if (!files.empty()) {
        downloads += element("li", link(archiveUrl(requestName), PageHtml(requestName + ".tar.gz"), {{"id", "archive"}}) +
                                       PageHtml(": every peak list and log of this request in one archive"));
    }
    PageHtml html = element("h2", PageHtml("Results")) + PageHtml::markup("\n");
    if (files.empty()) {
        html += element("p", {{"class", "nothing"}}, PageHtml("The run wrote no peak list and no log row."));
        return element("section", {{"id", "results"}}, html) + PageHtml::markup("\n");
    }
    html += element("ul", {{"class", "downloads"}}, downloads) + PageHtml::markup("\n");
    // A run's files by format first, the logs, then the files of one
    // spectrum each, folded away when there are many.
    for (const PeakListFormatEntry& format : peakListFormatTable()) {
        const std::vector<fs::path> these = ofFormat(format);
        if (format.span != FileSpan::run || these.empty()) continue;
        html += element("h3", PageHtml(std::string(format.files) + " (" + std::to_string(these.size()) + ")")) +
                fileList(format.name, resultsRoot, these);
    }
    if (!logs.empty()) html += element("h3", PageHtml("Logs")) + fileList("logs", resultsRoot, logs);
    for (const PeakListFormatEntry& format : peakListFormatTable()) {
        const std::vector<fs::path> these = ofFormat(format);
        if (format.span != FileSpan::spectrum || these.empty()) continue;
        Attributes fold = {{"class", "peaklists"}};
        if (these.size() <= 20) fold.push_back({"open", std::nullopt});
        html += element("details", fold,
                        element("summary", PageHtml("Peak lists (" + std::to_string(these.size()) + " " +
                                                    format.files + ")")) +
                            fileList("peaklists", resultsRoot, these));
    }
    return element("section", {{"id", "results"}}, html) + PageHtml::markup("\n");
}

std::string runAgainUrl(const std::string& program, const std::string& requestName) {
    return "/cgi-bin/" + program + "?" + formatQueryString({{"again", requestName}});
}

std::string filledFormUrl(const std::string& program, const std::vector<QueryEntry>& entries) {
    std::vector<QueryEntry> query = {{filledFormMarker, "1"}};
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(query),
                 [](const QueryEntry& entry) { return entry.name != filledFormMarker; });
    return "/cgi-bin/" + program + "?" + formatQueryString(query);
}
