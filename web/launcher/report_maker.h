#pragma once
// Every request gets its run report (tools/report): made after the run by
// quarrow-report, which the server keeps beside the programs, as report.html
// in the request folder; what the tool said goes to report.log.
#include <filesystem>
#include <optional>
#include <string>

#include "web/launcher/request_check.h"

// Nothing when the report was made; otherwise why not, for the page.
std::optional<std::string> makeRunReport(const std::filesystem::path& tool, Program program,
                                         const CheckedRequest& request);
