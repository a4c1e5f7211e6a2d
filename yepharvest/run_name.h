#pragma once
// The run name that prefixes every spectrum name, from the run's data file:
// "D:\runs\sample7.d\Analysis.yep" gives "sample7".
#include <string>
#include <string_view>

// ".D\Analysis.yep" first, then ".d\Analysis.yep" (either separator); any
// other path: its file name without folder and without its last extension.
std::string getRunName(std::string_view dataFilename);
