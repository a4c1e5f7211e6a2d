#pragma once
// A run as the form shows it and as the program is given it. The form offers
// only what exists under the data root: the run folder X.d (the program is
// given X.d/Analysis.yep), the .wiff file, or, when the .wiff file is not
// there, the first of its exports (the program is given the .wiff path, and
// reads the exports beside it).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "frontend/program.h"

// The runs a form offers, relative to the data root, as they are now.
std::vector<std::string> runsToPick(const std::filesystem::path& dataRoot, Program program);

// What the form shows for a run the program is given as `dataFile`,
// relative to the data root.
std::string shownRun(const std::filesystem::path& dataRoot, const std::string& dataFile);

// The data file the program is given for `named` (canonical): the run
// runOfNamedPath makes of it when that is the program's (X.d/Analysis.yep
// for a run folder or its export, also for an X.d that is not there; the
// .wiff file an export stands for), a folder's Analysis.yep for yepharvest.
// Anything else stays as named, for the refusal to name.
std::filesystem::path programDataFile(Program program, const std::filesystem::path& named);

// Why the program would find nothing to read at `dataFile` (canonical,
// inside the data root): the catalogue's missingRun, its paths shown
// relative to the data root; nothing when there is something to read.
std::optional<std::string> missingRun(Program program, const std::filesystem::path& dataRoot,
                                      const std::filesystem::path& dataFile);
