#pragma once
// yepharvest's logs carry no times; its run's export has the start time of
// every scan, and a spectrum's scan number is its position there.
#include <optional>
#include <string>
#include <vector>

#include "tools/report/spectrum_features_log.h"

// Gives every spectrum the retention time of its first scan, read from the
// export of `dataFilename` (the run's xtractorDataFilename) as yepharvest
// opens it; or gives none and says why: no export, an export of another run
// (a scan the logs name is missing, no MS/MS spectrum, or has another
// precursor there), or no start time in it.
std::optional<std::string> readExportTimes(std::vector<WrittenSpectrum>& spectra, const std::string& dataFilename);
