#pragma once
// The run name that prefixes every spectrum name, from the run's data file:
// "D:\runs\sample7.d\Analysis.yep" gives "sample7".
#include <string>
#include <string_view>

#include "yepharvest/ms_scan.h"

// ".D\Analysis.yep" first, then ".d\Analysis.yep" (either separator); any
// other path: its file name without folder and without its last extension.
std::string getRunName(std::string_view dataFilename);

// "<run>.<first scan>.<last scan>.<charge>.pkl", scan numbers zero-padded to
// four digits: the record's file name and its name in every log.
std::string spectrumName(const std::string& runName, const MSscan& scan);
