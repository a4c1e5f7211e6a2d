#include "core/extractor/export_warnings.h"

#include <algorithm>

#include "core/util/html_page.h"

void reportExportWarnings(const std::vector<std::string>& warnings, LogSink& runStats) {
    for (std::string text : warnings) {
        // A row of the log is one line of two fields.
        std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        printProgress(PageHtml::markup("<BR>") + PageHtml("exportWarning: " + text) + PageHtml::markup("\n"));
        runStats.print("exportWarning\t%s\n", text.c_str());
    }
}
