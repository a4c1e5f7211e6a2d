#include "core/extractor/export_warnings.h"

#include <algorithm>
#include <cstdio>

#include "core/util/html_escape.h"

void reportExportWarnings(const std::vector<std::string>& warnings, LogSink& runStats) {
    for (std::string text : warnings) {
        // A row of the log is one line of two fields.
        std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        std::printf("<BR>exportWarning: %s\n", escapeHtml(text).c_str());
        std::fflush(stdout);
        runStats.print("exportWarning\t%s\n", text.c_str());
    }
}
