#include "platform/analyst/wiff_run.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "core/util/format_text.h"
#include "platform/analyst/wiff_exports.h"
#include "platform/com/com_runtime.h"

namespace {

[[noreturn]] void outOfRange(const char* what, std::int32_t index, std::int32_t first, std::int32_t count,
                             const char* interfaceName) {
    throw ComError(E_INVALIDARG,
                   count == 0 ? formatText("%s %d requested; there is none.", what, index)
                              : formatText("%s %d requested; valid are %d to %d.", what, index, first, first + count - 1),
                   interfaceName);
}

// Samples whose ids carry a sample key come first, in key order.
bool samplesInOrder(const WiffSample& a, const WiffSample& b) {
    if (a.sampleKey.has_value() != b.sampleKey.has_value()) return a.sampleKey.has_value();
    if (a.sampleKey != b.sampleKey) return *a.sampleKey < *b.sampleKey;
    return a.fileName < b.fileName;
}

std::shared_ptr<const WiffRun> readWiffRun(const std::string& wiffPath, const char* interfaceName) {
    const WiffExportSearch search = findWiffExports(wiffPath);
    if (search.files.empty()) throw ComError(E_FILENOTFOUND, describeMissingExports(search), interfaceName);
    std::vector<WiffSample> samples;
    try {
        for (const std::string& file : search.files) samples.push_back(readWiffSample(file));
    } catch (const ExportReadError& error) {
        throw ComError(E_FAIL, error.what(), interfaceName);
    }
    std::stable_sort(samples.begin(), samples.end(), samplesInOrder);
    return std::make_shared<const WiffRun>(std::move(samples));
}

std::string registryKey(const std::string& wiffPath) {
    std::string local = wiffPath;
    std::replace(local.begin(), local.end(), '\\', '/');
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(local, error);
    return error ? local : canonical.string();
}

}  // namespace

const WiffSample& WiffRun::sample(std::int32_t sample, const char* interfaceName) const {
    if (sample < 1 || sample > sampleCount()) outOfRange("Sample", sample, 1, sampleCount(), interfaceName);
    return samples_[static_cast<std::size_t>(sample - 1)];
}

const WiffPeriod& WiffRun::period(std::int32_t sample, std::int32_t period, const char* interfaceName) const {
    const std::vector<WiffPeriod>& periods = this->sample(sample, interfaceName).periods;
    const auto count = static_cast<std::int32_t>(periods.size());
    if (period < 0 || period >= count) outOfRange("Period", period, 0, count, interfaceName);
    return periods[static_cast<std::size_t>(period)];
}

void WiffRun::checkExperiment(const WiffPeriod& period, std::int32_t experiment, const char* interfaceName) {
    if (experiment < 0 || experiment >= period.experimentCount) {
        outOfRange("Experiment", experiment, 0, period.experimentCount, interfaceName);
    }
}

void WiffRun::checkCycle(const WiffPeriod& period, std::int32_t cycle, const char* interfaceName) {
    if (cycle < 0 || cycle >= period.cycleCount) outOfRange("Cycle", cycle, 0, period.cycleCount, interfaceName);
}

std::shared_ptr<const WiffRun> openWiffRun(const std::string& wiffPath, const char* interfaceName) {
    static std::map<std::string, std::shared_ptr<const WiffRun>> opened;
    const std::string key = registryKey(wiffPath);
    if (const auto found = opened.find(key); found != opened.end()) return found->second;
    std::shared_ptr<const WiffRun> run = readWiffRun(wiffPath, interfaceName);
    opened.emplace(key, run);
    return run;
}
