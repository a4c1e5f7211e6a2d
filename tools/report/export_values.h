#pragma once
// yepharvest's logs carry no times; its run's export has the start time of
// every scan, and a spectrum's scan number is its position there. Where the
// instrument determined precursor charges, the export carries those too.
#include <optional>
#include <string>
#include <vector>

#include "tools/report/spectrum_features_log.h"

// Gives every spectrum the instrument's charge of its first scan, where the
// export carries one, and the retention time of that scan, read from the
// export of `dataFilename` (the run's xtractorDataFilename) as yepharvest
// opens it; or gives neither and says why: no export, an export of another
// run (a scan the logs name is missing, no MS/MS spectrum, or has another
// precursor there). An export without a start time for a spectrum gives
// its charges and no times, and says so.
std::optional<std::string> readExportValues(std::vector<WrittenSpectrum>& spectra, const std::string& dataFilename);
