#pragma once
// One run's rows gathered from the four logs of a log folder, with what was
// missing or unreadable said in plain words for the page.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/report/charge_log.h"
#include "tools/report/log_lines.h"
#include "tools/report/reject_log.h"
#include "tools/report/run_chromatogram.h"
#include "tools/report/run_names.h"
#include "tools/report/run_stats_log.h"
#include "tools/report/spectrum_features_log.h"

struct ReportRequest {
    std::string logDir;        // glued in front of the file names, as the programs do
    std::string featuresName;  // the spectrum-features file in it
    std::string run;
    std::string dataFilename;  // the run's data file, for its times; "" when not given
    // Where the run's MGF files are, whose charges the page shows: by
    // default the front ends' "peaklists" folder beside the log folder.
    std::string peakListDir;
};

// One LC run of the page: yepharvest's run, one sample of a .wiff file, or
// all samples of a .wiff file together.
struct RunPart {
    int sample = 1;          // 0: all samples
    std::string name;        // the sample's name in runStats.txt; "" when none
    std::string outputName;  // what its peak lists start with: RUN, RUN_2, ...
    std::vector<WrittenSpectrum> spectra;
    // Nothing when the part's rows cannot be told from the other samples'.
    std::optional<RejectSelection> rejects;
    std::optional<ChargeSelection> charges;
    std::vector<std::pair<std::string, long>> counters;  // of its statistics block; empty without one
    // From its export, when it could be read.
    std::optional<RunChromatogram> chromatogram;

    std::optional<long> counter(std::string_view counterName) const;
};

// Where the precursors' times come from.
enum class TimeSource { none, runExport, peakListNames };

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
    TimeSource times = TimeSource::none;
    std::vector<std::string> mgfFiles;  // whose charges the spectra carry as stated
    // One per LC run: one for yepharvest, one per sample of a .wiff file.
    std::vector<RunPart> samples;

    // The statistics block shown: the last one written for the run.
    const StatsBlock* statsBlock() const { return stats.matching.empty() ? nullptr : &stats.matching.back(); }
    // Every sample together.
    RunPart wholeRun() const;
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

std::vector<StageCount> stageCounts(const RunPart& part, RunProgram program);
