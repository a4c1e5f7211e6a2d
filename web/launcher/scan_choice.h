#pragma once
// The form's choice between the whole run and a window of scans. The
// programs know only the first and last scan; the choice is the launcher's
// and is not passed on.
#include <string>
#include <variant>
#include <vector>

#include "core/util/cgi_query.h"

inline constexpr const char* scanChoiceName = "scanRange";
inline constexpr const char* wholeRunChoice = "whole";
inline constexpr const char* scanWindowChoice = "window";

// The entries with the choice applied: "whole" sets the first and last scan
// to the whole run's whatever was given, "window" (or no choice) keeps them
// as given. The refusal's words for any other value.
std::variant<std::string, std::vector<QueryEntry>> withScanChoice(const std::vector<QueryEntry>& entries);

// Whether a first and last scan are the whole run's.
bool isWholeRun(const std::string& firstScan, const std::string& lastScan);
