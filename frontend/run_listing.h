#pragma once
// The runs of a folder as a tab-separated table, for front ends in other
// languages (the workflow).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/run_catalog.h"

// A field that stays one field on one line: a backslash, tab, line feed and
// carriage return are written \\, \t, \n and \r, any other control
// character \xHH (two lower-case hex digits); every other byte as it is.
std::string tsvField(std::string_view text);
// The text a field written so stands for; nothing when a backslash begins
// none of those.
std::optional<std::string> tsvValue(std::string_view field);

// "run\tprogram\tpath\tsource\tproblem" and one line per run, each ending in
// a line feed; `problems` as batchProblems gives them.
std::string runsTsv(const std::vector<CatalogRun>& runs, const std::vector<std::string>& problems);
