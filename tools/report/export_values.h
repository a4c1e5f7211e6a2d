#pragma once
// yepharvest's logs carry no times; its run's export has the start time of
// every scan, and a spectrum's scan number is its position there. Where the
// instrument determined precursor charges, the export carries those too.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/openformat/open_format_export.h"
#include "tools/report/run_stats_log.h"
#include "tools/report/spectrum_features_log.h"

// Gives every spectrum the instrument's charge of its first scan, where the
// export carries one, and the retention time of that scan, read from the
// export of `dataFilename` (the run's xtractorDataFilename) as yepharvest
// opens it; or gives neither and says why: no export, an export of another
// run (a scan the logs name is missing, no MS/MS spectrum, or has another
// precursor there). An export without a start time for a spectrum gives
// its charges and no times, and says so.
std::optional<std::string> readExportValues(std::vector<WrittenSpectrum>& spectra, const std::string& dataFilename);

// The identity yepharvest writes of the export of `dataFilename` at the head
// of its statistics block; nothing when the export cannot be opened.
std::optional<ExportIdentity> readExportIdentity(const std::string& dataFilename);

// The exports of a run as the programs open them: yepharvest's one (from its
// data file), a .wiff file's one per sample, in sample order; or why they
// could not be opened.
struct RunExports {
    std::vector<std::shared_ptr<const OpenFormatExport>> samples;
    std::string failure;
};
RunExports openRunExports(RunProgram program, const std::string& dataFilename);

// Gives each written spectrum of a .wiff run the start time of its first
// scan from its sample's export: of the MS/MS spectrum there with the
// precursor its row names whose time falls in the 0.1-minute step of its
// name. Gives none when any spectrum has no such match, and then says how
// many.
std::optional<std::string> readWiffExportTimes(std::vector<WrittenSpectrum>& spectra, const RunExports& exports);
