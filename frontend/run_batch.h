#pragma once
// Many runs into one results folder: each run's outputs go to a folder named
// after it and every row of the logs starts with its name, so a name must be
// fit for both and no two runs may share one.
#include <string>
#include <string_view>
#include <vector>

#include "frontend/run_catalog.h"

// Why a run of this name cannot have a folder and rows of its own; "" when
// it can. Quotes, blanks, a leading "-" and any other letters are fine.
std::string runNameProblem(std::string_view name);

// Why a run of this name whose program is given `dataPath` cannot be run:
// its name's problem, a backslash in its path, which the programs read as
// a folder separator, or a file name that is an export's ending alone
// (".mzML"); "" when it can.
std::string runProblem(std::string_view name, std::string_view dataPath);

// For each of `runs`, why it cannot be run beside the others: its
// runProblem, or another of them with the same name ("" when it can). `folder`
// names where they were found, for the message.
std::vector<std::string> batchProblems(const std::vector<CatalogRun>& runs, const std::string& folder);
