#include "tools/report/run_report.h"

#include <algorithm>
#include <set>

namespace {

std::string lineList(const std::vector<int>& lines) {
    std::string text;
    const std::size_t shown = std::min<std::size_t>(lines.size(), 8);
    for (std::size_t i = 0; i < shown; ++i) text += (i ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > shown) text += ", ...";
    return text;
}

void noteUnreadable(RunReport& report, const std::vector<int>& lines, const std::string& file,
                    const std::string& consequence) {
    if (lines.empty()) return;
    report.notices.push_back(std::to_string(lines.size()) + (lines.size() == 1 ? " row" : " rows") +
                             " of this run in " + file + " could not be read (line " + lineList(lines) + ") and " +
                             consequence + ".");
}

void noteFileState(RunReport& report, const LogFileSummary& file) {
    switch (file.state) {
        case LogFileState::read: return;
        case LogFileState::missing: report.notices.push_back(file.name + " is missing: " + file.path); return;
        case LogFileState::unreadable: report.notices.push_back(file.name + " cannot be read: " + file.path); return;
        case LogFileState::empty: report.notices.push_back(file.name + " is empty: " + file.path); return;
    }
}

}  // namespace

RunReport buildRunReport(const ReportRequest& request) {
    RunReport report;
    report.request = request;
    const LogFile features = readLogFile(request.logDir + request.featuresName);
    const LogFile rejects = readLogFile(request.logDir + "xtractorRejectReasons.txt");
    const LogFile charges = readLogFile(request.logDir + "parentChargeCheck.txt");
    const LogFile stats = readLogFile(request.logDir + "runStats.txt");
    for (const LogFile* file : {&features, &rejects, &charges, &stats}) {
        const std::string path = file->path;
        report.files.push_back({path.substr(request.logDir.size()), path, file->state});
        noteFileState(report, report.files.back());
    }

    // The statistics block tells which program wrote the run; without one,
    // the features header does.
    report.stats = selectRunStats(stats, request.run);
    if (const StatsBlock* block = report.statsBlock()) {
        report.program = block->program;
    } else if (!features.lines.empty() &&
               featuresLayout(splitFields(features.lines.front().text)) == FeaturesLayout::wiffharvest) {
        report.program = RunProgram::wiffharvest;
    }

    report.features = selectWrittenSpectra(features, request.run, report.program);
    report.rejects = selectRejects(rejects, request.run, report.program);
    report.charges = selectChargeDecisions(charges, request.run, report.program);

    if (features.state == LogFileState::read && report.features.columns.empty()) {
        report.notices.push_back("The first line of " + request.featuresName +
                                 " is not a spectrum-features header, so its columns are unknown and its rows are "
                                 "not used.");
    } else if (!report.features.columns.empty() && report.features.spectra.empty()) {
        report.notices.push_back("No row of " + request.featuresName + " names a spectrum of run " + request.run +
                                 ": no peak list of this run is on record.");
    }
    noteUnreadable(report, report.features.malformedLines, request.featuresName, "is left out of every count");
    noteUnreadable(report, report.rejects.malformedLines, "xtractorRejectReasons.txt", "is left out of the counts");
    noteUnreadable(report, report.charges.malformedLines, "parentChargeCheck.txt", "is left out of the counts");
    noteUnreadable(report, report.stats.unreadableLines, "runStats.txt", "is not shown");

    std::set<std::string> names;
    int repeated = 0;
    for (const WrittenSpectrum& spectrum : report.features.spectra) {
        if (!names.insert(spectrum.name).second) ++repeated;
    }
    if (repeated > 0) {
        report.notices.push_back(std::to_string(repeated) + " peak-list names appear more than once in " +
                                 request.featuresName + ": the run was processed more than once into this folder, "
                                 "and the counted rows include every pass.");
    }

    if (stats.state == LogFileState::read && report.stats.matching.empty()) {
        std::string others;
        for (const std::string& other : report.stats.otherRuns) others += (others.empty() ? "" : ", ") + other;
        report.notices.push_back("runStats.txt holds no statistics block for run " + request.run +
                                 (others.empty() ? std::string() : " (it holds blocks for: " + others + ")") +
                                 "; the counts below come from the other logs.");
    } else if (report.stats.matching.size() > 1) {
        report.notices.push_back("runStats.txt holds " + std::to_string(report.stats.matching.size()) +
                                 " statistics blocks for run " + request.run + "; the last one is shown.");
    }
    if (const StatsBlock* block = report.statsBlock(); block && !block->total("numMSMSscansCollected")) {
        report.notices.push_back("The statistics block of run " + request.run +
                                 " has no counters: the run probably ended before its statistics were written.");
    }
    return report;
}

std::vector<StageCount> stageCounts(const RunReport& report) {
    const StatsBlock* block = report.statsBlock();
    const auto statistic = [&](const char* counter) -> std::optional<long> {
        return block ? block->total(counter) : std::nullopt;
    };
    const RejectSelection& rejects = report.rejects;
    const long written = static_cast<long>(report.features.spectra.size());
    const long filtered = rejects.count(RejectKind::parentRange) + rejects.count(RejectKind::tooFewPeaks) +
                          rejects.count(RejectKind::sequenceTag) + rejects.count(RejectKind::other);
    std::vector<StageCount> counts;
    counts.push_back({"collected", "MS/MS spectra collected", statistic("numMSMSscansCollected"),
                      written + rejects.count(RejectKind::merged) + filtered});
    counts.push_back({"scan-range", "outside the scan range (any scan)", std::nullopt,
                      rejects.count(RejectKind::scanRange)});
    // yepharvest counts the groups that absorbed spectra, wiffharvest the
    // spectra absorbed: only the latter matches the merge rows.
    if (report.program == RunProgram::wiffharvest) {
        counts.push_back({"merged", "merged into an earlier spectrum", statistic("numMSMSmergedParentScans"),
                          rejects.count(RejectKind::merged)});
    } else {
        counts.push_back({"merged", "merged into an earlier spectrum", std::nullopt, rejects.count(RejectKind::merged)});
        counts.push_back({"merged-groups", "merged groups (first spectrum of each)", statistic("numMSMSmergedParentScans"), std::nullopt});
    }
    for (RejectKind kind : {RejectKind::parentRange, RejectKind::tooFewPeaks, RejectKind::sequenceTag}) {
        counts.push_back({rejectKey(kind), "rejected: " + describeRejectKind(kind), std::nullopt, rejects.count(kind)});
    }
    if (rejects.count(RejectKind::other) > 0) {
        counts.push_back({rejectKey(RejectKind::other), "rejected: " + describeRejectKind(RejectKind::other), std::nullopt,
                          rejects.count(RejectKind::other)});
    }
    counts.push_back({"written", "written as peak lists", statistic("numOutputFiles"), written});
    return counts;
}
