#pragma once
// What the run page and a request's results page both show: how the run
// ended, and what it wrote.
#include <filesystem>
#include <string>
#include <vector>

#include "core/util/cgi_query.h"
#include "core/util/html_page.h"
#include "web/launcher/request_record.h"

// "Finished in 0:42: 383 spectra written.", "Failed (exit status 1, after
// 0:03): <the program's first error sentence>", "Running", "Interrupted".
PageHtml outcomeBanner(const RequestOutcome& outcome);

// The run report, one archive of everything, the MGF files, the logs, and
// the .pkl files folded away (a run writes hundreds). A failed run offers
// no report, and only the files that hold something: no archive, list or
// fold of nothing.
PageHtml filesSection(const std::filesystem::path& resultsRoot, const std::string& requestName,
                      const std::vector<std::filesystem::path>& files, bool failed);

// The program's form, filled in with a request's settings.
std::string runAgainUrl(const std::string& program, const std::string& requestName);

// The form's marker in a link that fills it in with the link's own query.
inline constexpr const char* filledFormMarker = "edit";

// The program's form, filled in with the values of a request it refused.
std::string filledFormUrl(const std::string& program, const std::vector<QueryEntry>& entries);
