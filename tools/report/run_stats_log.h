#pragma once
// runStats.txt has no header and no row markers: it is a sequence of blocks.
// yepharvest writes per run "FileName\t<analysis name>", "SampleName\t...",
// "AnalysisDateTime\t..." and then its counters; wiffharvest writes per file
// "filePath: <path>" and sample lines, then per sample its skipped-scan
// figures and counters after that sample's "sampleName: ...\tsampleIndex: <s>".
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/report/log_lines.h"
#include "tools/report/run_names.h"

struct StatsSample {
    int index = 1;
    std::string name;
    // Counters in file order, e.g. ("numOutputFiles", 163) or
    // ("numUniqueChargeSpectra 2", 63).
    std::vector<std::pair<std::string, long>> counters;
};

struct StatsBlock {
    RunProgram program = RunProgram::yepharvest;
    std::string runName;   // FileName, or the run name of filePath
    std::string filePath;  // wiffharvest only
    std::vector<std::pair<std::string, std::string>> identity;  // SampleName, AnalysisDateTime
    std::vector<StatsSample> samples;                            // yepharvest: one
    int firstLine = 0;

    // The counter summed over the samples; empty when no sample has it.
    std::optional<long> total(std::string_view counter) const;
};

struct StatsSelection {
    std::vector<StatsBlock> matching;  // blocks of the run, in file order
    std::vector<std::string> otherRuns;
    std::vector<int> unreadableLines;
    // The export's run id when blocks were found by it, not by the run name.
    std::string foundByExportId;
    // Blocks that carry the export's identity but cannot be told apart by
    // it (as in logs merged from several runs whose exports share one run
    // id), in file order; their rows may tell them apart.
    std::vector<StatsBlock> indistinct;
    // The block was chosen from those by the rows of the run.
    bool toldApartByRows = false;
};

// What yepharvest writes of its run's export at the head of its block:
// FileName is the export's run id, which need not be the run name (OpenMS
// writes "ru_0" for every run).
struct ExportIdentity {
    std::string analysisName;
    std::string sampleName;
    std::string analysisDateTime;
};

// The blocks named after the run; when there are none and `identity` is
// given, the one block that carries the export's identity. Several such
// blocks are none of them, but listed as indistinct.
StatsSelection selectRunStats(const LogFile& file, std::string_view run,
                              const ExportIdentity* identity = nullptr);
