#pragma once
// One run's rows gathered from the four logs of a log folder, with what was
// missing or unreadable said in plain words for the page.
#include <optional>
#include <string>
#include <vector>

#include "tools/report/charge_log.h"
#include "tools/report/log_lines.h"
#include "tools/report/reject_log.h"
#include "tools/report/run_names.h"
#include "tools/report/run_stats_log.h"
#include "tools/report/spectrum_features_log.h"

struct ReportRequest {
    std::string logDir;        // glued in front of the file names, as the programs do
    std::string featuresName;  // the spectrum-features file in it
    std::string run;
};

struct LogFileSummary {
    std::string name;
    std::string path;
    LogFileState state = LogFileState::missing;
};

struct RunReport {
    ReportRequest request;
    RunProgram program = RunProgram::yepharvest;
    std::vector<LogFileSummary> files;  // features, reject reasons, charge check, run statistics
    FeaturesSelection features;
    RejectSelection rejects;
    ChargeSelection charges;
    StatsSelection stats;
    std::vector<std::string> notices;  // plain text; the page escapes it

    // The statistics block shown: the last one written for the run.
    const StatsBlock* statsBlock() const { return stats.matching.empty() ? nullptr : &stats.matching.back(); }
};

RunReport buildRunReport(const ReportRequest& request);

// One line of the stage table: a count from the run's statistics block, a
// count of the run's rows in the other logs, or both.
struct StageCount {
    std::string key;  // stable name for the page's element ids
    std::string label;
    std::optional<long> fromStatistics;
    std::optional<long> fromRows;
};

std::vector<StageCount> stageCounts(const RunReport& report);
