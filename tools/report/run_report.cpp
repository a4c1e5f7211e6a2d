#include "tools/report/run_report.h"

#include <algorithm>
#include <set>

#include "tools/report/export_values.h"
#include "tools/report/mgf_charges.h"

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

// The data file the run was made from: as given, else (a .wiff file) the
// one its statistics block names.
std::string dataFileOf(const RunReport& report) {
    if (!report.request.dataFilename.empty()) return report.request.dataFilename;
    const StatsBlock* block = report.statsBlock();
    return report.program == RunProgram::wiffharvest && block ? block->filePath : std::string();
}

// The precursors' times: a .wiff run's come from its exports, else from
// its peak-list names (all 0 when its exports had none); yepharvest's come
// from the run's export, with the instrument's charges where it carries them.
void addTimes(RunReport& report, const RunExports& exports) {
    std::vector<WrittenSpectrum>& spectra = report.features.spectra;
    if (report.program == RunProgram::wiffharvest) {
        if (std::none_of(spectra.begin(), spectra.end(), [](const WrittenSpectrum& s) { return s.nameScanTime > 0; })) {
            return;
        }
        if (!exports.samples.empty()) {
            try {
                const std::optional<std::string> unmatched = readWiffExportTimes(spectra, exports);
                if (!unmatched) {
                    report.times = TimeSource::runExport;
                    return;
                }
                report.notices.push_back(*unmatched);
            } catch (const ExportReadError& error) {
                report.notices.push_back(std::string("The times of the exports were not read: ") + error.what());
            }
        }
        for (WrittenSpectrum& spectrum : spectra) spectrum.retentionMinutes = *spectrum.nameScanTime / 10.0;
        report.times = TimeSource::peakListNames;
    } else if (!report.request.dataFilename.empty() && !spectra.empty()) {
        const std::optional<std::string> unread = readExportValues(spectra, report.request.dataFilename);
        if (unread) {
            report.notices.push_back(*unread);
        } else {
            report.times = TimeSource::runExport;
        }
    }
}

// One part per LC run: the samples the statistics block lists, and any
// others the features name.
void addSamples(RunReport& report, const LogFile& charges) {
    std::vector<RunPart>& parts = report.samples;
    const auto partOf = [&](int index) -> RunPart& {
        const auto found = std::find_if(parts.begin(), parts.end(), [&](const RunPart& p) { return p.sample == index; });
        if (found != parts.end()) return *found;
        parts.push_back({});
        parts.back().sample = index;
        return parts.back();
    };
    if (const StatsBlock* block = report.statsBlock()) {
        for (const StatsSample& sample : block->samples) {
            RunPart& part = partOf(sample.index);
            part.name = sample.name;
            part.counters = sample.counters;
        }
    }
    for (const WrittenSpectrum& spectrum : report.features.spectra) partOf(spectrum.sample).spectra.push_back(spectrum);
    if (parts.empty()) partOf(1);
    std::sort(parts.begin(), parts.end(), [](const RunPart& a, const RunPart& b) { return a.sample < b.sample; });
    for (RunPart& part : parts) {
        part.outputName = part.sample == 1 ? report.request.run : report.request.run + "_" + std::to_string(part.sample);
    }
    if (parts.size() == 1) {
        parts.front().rejects = report.rejects;
        parts.front().charges = report.charges;
        return;
    }
    std::vector<std::vector<std::pair<std::string, long>>> counters;
    for (const RunPart& part : parts) counters.push_back(part.counters);
    if (const auto split = splitRejectsBySample(report.rejects, counters); split && report.statsBlock()) {
        for (std::size_t i = 0; i < parts.size(); ++i) parts[i].rejects = (*split)[i];
    } else if (report.rejects.total() > 0) {
        report.notices.push_back("The rows of xtractorRejectReasons.txt do not name their sample, and here their number "
                                 "does not follow from each sample's statistics (a scan range rejects survey scans too): "
                                 "the rejected spectra are counted for the whole file only.");
    }
    const std::vector<ChargeSelection> pieces = selectChargeDecisionsBySample(charges, report.request.run, report.program);
    if (pieces.size() == parts.size()) {
        for (std::size_t i = 0; i < parts.size(); ++i) parts[i].charges = pieces[i];
    } else if (!pieces.empty()) {
        report.notices.push_back("parentChargeCheck.txt holds rows of this file in " + std::to_string(pieces.size()) +
                                 " pieces for " + std::to_string(parts.size()) +
                                 " samples: its charge decisions are counted for the whole file only.");
    }
}

// Each LC run's chromatogram from its export: yepharvest's one, a .wiff
// file's sample by sample; only from exports whose spectra the logs' rows
// were found in (the times came from them), never from another run's.
void addChromatograms(RunReport& report, const RunExports& exports) {
    if (report.times != TimeSource::runExport) return;
    for (RunPart& part : report.samples) {
        const auto index = static_cast<std::size_t>(part.sample - 1);
        if (part.sample < 1 || index >= exports.samples.size()) continue;
        try {
            part.chromatogram = readRunChromatogram(*exports.samples[index]);
        } catch (const ExportReadError& error) {
            report.notices.push_back(std::string("No chromatogram is drawn: ") + error.what());
        }
    }
}

}  // namespace

std::optional<long> RunPart::counter(std::string_view counterName) const {
    for (const auto& [key, value] : counters) {
        if (key == counterName) return value;
    }
    return std::nullopt;
}

RunPart RunReport::wholeRun() const {
    RunPart whole;
    whole.sample = 0;
    whole.outputName = request.run;
    whole.spectra = features.spectra;
    whole.rejects = rejects;
    whole.charges = charges;
    if (const StatsBlock* block = statsBlock()) {
        for (const StatsSample& sample : block->samples) {
            for (const auto& [name, value] : sample.counters) {
                if (!whole.counter(name)) whole.counters.emplace_back(name, *block->total(name));
            }
        }
    }
    return whole;
}

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
    // An export's run id need not be the run name (OpenMS writes "ru_0"):
    // yepharvest names its block after the former.
    if (report.stats.matching.empty() && stats.state == LogFileState::read && !request.dataFilename.empty()) {
        if (const std::optional<ExportIdentity> identity = readExportIdentity(request.dataFilename)) {
            report.stats = selectRunStats(stats, request.run, &*identity);
        }
    }
    if (const StatsBlock* block = report.statsBlock()) {
        report.program = block->program;
    } else if (!features.lines.empty() &&
               featuresLayout(splitFields(features.lines.front().text)) == FeaturesLayout::wiffharvest) {
        report.program = RunProgram::wiffharvest;
    }

    report.features = selectWrittenSpectra(features, request.run, report.program);
    // Blocks alike in name, sample and date: the run's is the one whose count
    // of peak lists is that of the run's rows, when only one is.
    std::vector<StatsBlock> counted;
    for (const StatsBlock& block : report.stats.indistinct) {
        if (block.total("numOutputFiles") == static_cast<long>(report.features.spectra.size())) counted.push_back(block);
    }
    if (counted.size() == 1) {
        report.stats.matching = counted;
        report.stats.toldApartByRows = true;
    }
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

    if (report.stats.indistinct.size() > 1 && !report.stats.toldApartByRows) {
        report.notices.push_back("runStats.txt holds " + std::to_string(report.stats.indistinct.size()) +
                                 " statistics blocks named " + report.stats.foundByExportId +
                                 ", with the sample name and date of this run's export, and as many peak lists: "
                                 "which one is this run's cannot be told, so none is shown; the counts below come "
                                 "from the other logs.");
    } else if (stats.state == LogFileState::read && report.stats.matching.empty()) {
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
    const std::string dataFile = dataFileOf(report);
    const RunExports exports = dataFile.empty() ? RunExports{} : openRunExports(report.program, dataFile);
    if (!exports.failure.empty() && (report.program == RunProgram::wiffharvest || report.features.spectra.empty())) {
        report.notices.push_back("The run's export was not read (no chromatogram is drawn): " + exports.failure);
    }
    addTimes(report, exports);
    const std::string peakListDir = request.peakListDir.empty() ? request.logDir + "../peaklists/" : request.peakListDir;
    report.mgfFiles = addStatedCharges(report.features.spectra, peakListDir, request.run);
    addSamples(report, charges);
    addChromatograms(report, exports);
    return report;
}

std::vector<StageCount> stageCounts(const RunPart& part, RunProgram program) {
    const auto statistic = [&](const char* counter) { return part.counter(counter); };
    // Counts of reject rows are known only where the part's rows are.
    const auto rows = [&](RejectKind kind) -> std::optional<long> {
        return part.rejects ? std::optional<long>(part.rejects->count(kind)) : std::nullopt;
    };
    const long written = static_cast<long>(part.spectra.size());
    std::optional<long> collected;
    if (part.rejects) {
        collected = written + part.rejects->count(RejectKind::merged) + part.rejects->count(RejectKind::parentRange) +
                    part.rejects->count(RejectKind::tooFewPeaks) + part.rejects->count(RejectKind::sequenceTag) +
                    part.rejects->count(RejectKind::other);
    }
    std::vector<StageCount> counts;
    counts.push_back({"collected", "MS/MS spectra collected", statistic("numMSMSscansCollected"), collected});
    counts.push_back({"scan-range", "outside the scan range (any scan)", std::nullopt, rows(RejectKind::scanRange)});
    // yepharvest counts the groups that absorbed spectra, wiffharvest the
    // spectra absorbed: only the latter matches the merge rows.
    if (program == RunProgram::wiffharvest) {
        counts.push_back({"merged", "merged into an earlier spectrum", statistic("numMSMSmergedParentScans"),
                          rows(RejectKind::merged)});
    } else {
        counts.push_back({"merged", "merged into an earlier spectrum", std::nullopt, rows(RejectKind::merged)});
        counts.push_back({"merged-groups", "merged groups (first spectrum of each)", statistic("numMSMSmergedParentScans"), std::nullopt});
    }
    for (RejectKind kind : {RejectKind::parentRange, RejectKind::tooFewPeaks, RejectKind::sequenceTag}) {
        counts.push_back({rejectKey(kind), "rejected: " + describeRejectKind(kind), std::nullopt, rows(kind)});
    }
    if (rows(RejectKind::other).value_or(0) > 0) {
        counts.push_back({rejectKey(RejectKind::other), "rejected: " + describeRejectKind(RejectKind::other), std::nullopt,
                          rows(RejectKind::other)});
    }
    counts.push_back({"written", "written as peak lists", statistic("numOutputFiles"), written});
    return counts;
}
