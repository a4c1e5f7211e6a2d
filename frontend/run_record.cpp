#include "frontend/run_record.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

#include "core/extractor/peak_list_formats.h"
#include "core/extractor/query_keys.h"
#include "core/util/failure_line.h"
#include "frontend/run_listing.h"
#include "frontend/settings_file.h"
#include "frontend/time_text.h"

namespace fs = std::filesystem;

namespace {

std::string fileText(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

std::string isoTime(std::chrono::system_clock::time_point when) {
    return timeText(when, TimeStyle::isoUtc);
}

std::string fixedDecimals(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string plural(long count, const std::string& one, const std::string& many) {
    return groupedNumber(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string groupedNumber(long number) {
    const std::string digits = std::to_string(number);
    std::string text;
    const std::size_t first = number < 0 ? 1 : 0;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > first && (digits.size() - at) % 3 == 0) text.push_back(',');
        text.push_back(digits[at]);
    }
    return text;
}

RunCounts countRun(const std::string& folder) {
    RunCounts counts;
    // yepharvest writes one block per run, wiffharvest one per sample.
    std::istringstream statistics(fileText(fs::path(folder) / "logs" / "runStats.txt"));
    for (std::string line; std::getline(statistics, line);) {
        if (line.starts_with("numOutputSpectra\t")) counts.spectraWritten += std::atol(line.c_str() + 17);
    }
    // Every row begins with a line feed; the header has none.
    const std::string rejects = fileText(fs::path(folder) / "logs" / "xtractorRejectReasons.txt");
    counts.rejected = static_cast<long>(std::count(rejects.begin(), rejects.end(), '\n'));
    const std::vector<PeakListFormatEntry>& formats = peakListFormatTable();
    counts.peakListFiles.assign(formats.size(), 0);
    std::error_code error;
    for (fs::directory_iterator it(fs::path(folder) / "peaklists", error), end; !error && it != end; it.increment(error)) {
        if (const PeakListFormatEntry* format = peakListFormatOfFile(it->path().filename().string())) {
            ++counts.peakListFiles[static_cast<std::size_t>(format - formats.data())];
        }
    }
    return counts;
}

std::string outcomeWord(const RunRecord& record) {
    if (!record.outcome) return "not started";
    if (record.outcome->signal != 0) return "stopped";
    return record.outcome->exitStatus == 0 ? "ok" : "failed";
}

std::string endedWithoutSayingWhy(const std::string& program, const LaunchOutcome& outcome) {
    if (outcome.signal != 0) {
        return program + " was ended by signal " + std::to_string(outcome.signal) + " (" + ::strsignal(outcome.signal) +
               ") before it said why.";
    }
    return program + " ended with exit status " + std::to_string(outcome.exitStatus) + " without saying why.";
}

bool statisticsOfNothing(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab != std::string_view::npos && line.find_first_not_of("0.\r", tab + 1) != std::string_view::npos) return false;
    }
    return true;
}

// The statistics log has no header; a peak list is complete or gone.
bool holdsNothing(const fs::path& file) {
    const std::string text = fileText(file);
    if (peakListFormatOfFile(file.filename().string()) != nullptr) return text.empty();
    if (file.filename() == "runStats.txt") return statisticsOfNothing(text);
    const std::size_t firstEnd = text.find('\n');
    return firstEnd == std::string::npos || text.find_first_not_of("\r\n", firstEnd) == std::string::npos;
}

void clearEmptyResults(const std::string& folder) {
    std::error_code error;
    for (const char* sub : {"logs", "peaklists"}) {
        const fs::path place = fs::path(folder) / sub;
        std::vector<fs::path> empty;
        for (fs::directory_iterator it(place, error), end; !error && it != end; it.increment(error)) {
            std::error_code kindError;
            if (it->is_regular_file(kindError) && holdsNothing(it->path())) empty.push_back(it->path());
        }
        for (const fs::path& file : empty) fs::remove(file, error);
        if (fs::is_empty(place, error)) fs::remove(place, error);
    }
}

std::string tallyText(const std::vector<TalliedRun>& runs) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kinds = {{
        {"ok", "finished"}, {"failed", "failed"}, {"not started", "failed"}, {"stopped", "stopped"}, {"not run", "not run"}}};
    const auto kindOf = [](const std::string& outcome) {
        for (const auto& [word, kind] : kinds) {
            if (word == outcome) return kind;
        }
        return std::string_view("failed");
    };
    std::string counts;
    for (const std::string_view kind : {"finished", "failed", "stopped", "not run"}) {
        const auto count = std::count_if(runs.begin(), runs.end(), [&](const TalliedRun& run) { return kindOf(run.outcome) == kind; });
        if (count > 0 || kind != "not run") counts += (counts.empty() ? "" : ", ") + std::to_string(count) + " " + std::string(kind);
    }
    std::string text = std::to_string(runs.size()) + (runs.size() == 1 ? " run: " : " runs: ") + counts + "\n";
    for (const TalliedRun& run : runs) {
        std::string kind(kindOf(run.outcome));
        kind.resize(std::max<std::size_t>(kind.size(), 8), ' ');
        text += "  " + kind + "  " + terminalSafe(run.folder) + "\n";
    }
    return text;
}

std::string recordText(const ExtractRun& run, const std::vector<QueryEntry>& given, const RunRecord& record) {
    std::string text = settingsHeader;
    const auto row = [&](std::string_view name, std::string_view value, std::string_view source = "") {
        text += tsvField(name) + "\t" + tsvField(value) + "\t" + tsvField(source) + "\n";
    };
    row("run", run.name);
    row("input", run.given);
    row("data file", run.dataFilename);
    row("program", programName(run.program));
    row("program path", run.programPath);
    row("version", record.version);
    row("start", isoTime(record.start));
    row("end", isoTime(record.end));
    row("outcome", outcomeWord(record));
    const bool ended = record.outcome.has_value();
    row("exit status", ended && record.outcome->signal == 0 ? std::to_string(record.outcome->exitStatus) : "");
    row("signal", ended && record.outcome->signal != 0 ? std::to_string(record.outcome->signal) : "");
    row("error", record.error);
    // What the program took, as the operating system counts it; empty when
    // it was not started.
    const auto figure = [&](double value) { return ended ? fixedDecimals(value, 3) : std::string(); };
    row("wall seconds", figure(ended ? record.outcome->wallSeconds : 0));
    row("CPU seconds", figure(ended ? record.outcome->cpuSeconds : 0));
    row("peak memory kB", ended ? std::to_string(record.outcome->peakMemoryKb) : "");
    row("spectra written", std::to_string(record.counts.spectraWritten));
    const std::vector<int>& files = record.counts.peakListFiles;
    row("peak-list files", std::to_string(std::accumulate(files.begin(), files.end(), 0)));
    row("rejected", std::to_string(record.counts.rejected));
    row("report", record.report);
    text += settingRows(settingSources(run.query, given, run.filled, toolSetKeys()));
    return text;
}

std::string closingLine(const ExtractRun& run, const RunRecord& record) {
    const std::string recordPath = "record " + run.folder + runRecordName;
    const std::string word = outcomeWord(record);
    if (word == "not started") return run.name + ": " + programName(run.program) + " was not started: " + record.error + "; " + recordPath;
    if (word == "stopped") {
        return run.name + ": " + programName(run.program) + " was stopped by signal " + std::to_string(record.outcome->signal) + "; " +
               recordPath;
    }
    if (word == "failed") {
        return run.name + ": " + programName(run.program) + " failed (exit status " + std::to_string(record.outcome->exitStatus) +
               (record.error.empty() ? "" : ": " + record.error) + "); " + recordPath;
    }
    const RunCounts& counts = record.counts;
    // The run files first, then those of one spectrum each.
    std::vector<std::string> kinds;
    for (const FileSpan span : {FileSpan::run, FileSpan::spectrum}) {
        const std::vector<PeakListFormatEntry>& formats = peakListFormatTable();
        for (std::size_t i = 0; i < formats.size() && i < counts.peakListFiles.size(); ++i) {
            const int count = counts.peakListFiles[i];
            if (formats[i].span == span && count > 0) kinds.push_back(plural(count, formats[i].file, formats[i].files));
        }
    }
    std::string files = kinds.empty() ? "no peak-list file" : "";
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        files += (i == 0 ? "" : i + 1 == kinds.size() ? " and " : ", ") + kinds[i];
    }
    return run.name + ": " + plural(counts.spectraWritten, "spectrum", "spectra") + " written to " + files + ", " +
           groupedNumber(counts.rejected) + " rejected; " + recordPath;
}
