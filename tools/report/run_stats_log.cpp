#include "tools/report/run_stats_log.h"

#include <algorithm>

namespace {

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// "sampleName: <name>\tsampleIndex: <s>"
std::optional<std::pair<std::string, int>> sampleLine(std::string_view text) {
    constexpr std::string_view nameKey = "sampleName: ";
    constexpr std::string_view indexKey = "\tsampleIndex: ";
    if (!startsWith(text, nameKey)) return std::nullopt;
    const std::size_t at = text.rfind(indexKey);
    if (at == std::string_view::npos || at < nameKey.size()) return std::nullopt;
    const std::optional<long> index = parseWhole(text.substr(at + indexKey.size()));
    if (!index || *index < 1) return std::nullopt;
    return std::pair{std::string(text.substr(nameKey.size(), at - nameKey.size())), static_cast<int>(*index)};
}

StatsSample& sampleOf(StatsBlock& block, int index) {
    const auto found = std::find_if(block.samples.begin(), block.samples.end(),
                                    [&](const StatsSample& sample) { return sample.index == index; });
    if (found != block.samples.end()) return *found;
    block.samples.push_back({index, "", {}});
    return block.samples.back();
}

}  // namespace

std::optional<long> StatsBlock::total(std::string_view counter) const {
    std::optional<long> sum;
    for (const StatsSample& sample : samples) {
        for (const auto& [name, value] : sample.counters) {
            if (name == counter) sum = sum.value_or(0) + value;
        }
    }
    return sum;
}

namespace {

std::string_view identityValue(const StatsBlock& block, std::string_view key) {
    for (const auto& [name, value] : block.identity) {
        if (name == key) return value;
    }
    return {};
}

bool carries(const StatsBlock& block, const ExportIdentity& identity) {
    return block.program == RunProgram::yepharvest && block.runName == identity.analysisName &&
           identityValue(block, "SampleName") == identity.sampleName &&
           identityValue(block, "AnalysisDateTime") == identity.analysisDateTime;
}

}  // namespace

StatsSelection selectRunStats(const LogFile& file, std::string_view run, const ExportIdentity* identity) {
    std::vector<StatsBlock> blocks;
    std::vector<std::pair<std::size_t, int>> unreadable;  // block index, line
    int currentSample = 1;
    for (const LogLine& line : file.lines) {
        const std::string_view text = line.text;
        if (text.empty()) continue;
        if (startsWith(text, "FileName\t")) {
            StatsBlock block;
            block.runName = std::string(text.substr(9));
            block.firstLine = line.number;
            block.samples.push_back({1, "", {}});
            blocks.push_back(std::move(block));
            currentSample = 1;
            continue;
        }
        if (startsWith(text, "filePath: ")) {
            StatsBlock block;
            block.program = RunProgram::wiffharvest;
            block.filePath = std::string(text.substr(10));
            block.runName = std::string(runNameOfDataPath(block.filePath));
            block.firstLine = line.number;
            blocks.push_back(std::move(block));
            currentSample = 1;
            continue;
        }
        // Lines before any block name no run; no page can claim them.
        if (blocks.empty()) continue;
        StatsBlock& block = blocks.back();
        if (const auto sample = sampleLine(text)) {
            currentSample = sample->second;
            sampleOf(block, currentSample).name = sample->first;
            continue;
        }
        const std::size_t tab = text.rfind('\t');
        if (tab == std::string_view::npos) {
            unreadable.emplace_back(blocks.size() - 1, line.number);
            continue;
        }
        const std::string_view key = text.substr(0, tab);
        const std::string_view value = text.substr(tab + 1);
        if (key == "SampleName" || key == "AnalysisDateTime" || key == "exportWarning") {
            block.identity.emplace_back(std::string(key), std::string(value));
            continue;
        }
        const std::optional<long> number = parseWhole(value);
        if (!number) {
            unreadable.emplace_back(blocks.size() - 1, line.number);
            continue;
        }
        sampleOf(block, currentSample).counters.emplace_back(std::string(key), *number);
    }

    StatsSelection selection;
    const bool byName = std::any_of(blocks.begin(), blocks.end(), [&](const StatsBlock& b) { return b.runName == run; });
    std::size_t carrying = 0;
    if (!byName && identity != nullptr) {
        carrying = static_cast<std::size_t>(
            std::count_if(blocks.begin(), blocks.end(), [&](const StatsBlock& b) { return carries(b, *identity); }));
    }
    if (carrying > 0) selection.foundByExportId = identity->analysisName;
    if (carrying > 1) {
        for (const StatsBlock& block : blocks) {
            if (carries(block, *identity)) selection.indistinct.push_back(block);
        }
    }
    const auto ofRun = [&](const StatsBlock& block) {
        return byName ? block.runName == run : carrying == 1 && carries(block, *identity);
    };
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (ofRun(blocks[i])) {
            for (const auto& [block, number] : unreadable) {
                if (block == i) selection.unreadableLines.push_back(number);
            }
            selection.matching.push_back(std::move(blocks[i]));
        } else if (std::find(selection.otherRuns.begin(), selection.otherRuns.end(), blocks[i].runName) ==
                   selection.otherRuns.end()) {
            selection.otherRuns.push_back(blocks[i].runName);
        }
    }
    return selection;
}
