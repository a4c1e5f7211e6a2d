#include "platform/analyst/wiff_file_data.h"

#include <set>

#include "platform/analyst/wiff_run.h"

namespace {
constexpr const char* fileInterface = "IWiffFileData";
}

std::int32_t WiffFileData::numberOfPeriods(std::int32_t sample) const {
    return run_->sample(sample, fileInterface).periodCount;
}

std::int32_t WiffFileData::numberOfCycles(std::int32_t sample, std::int32_t period) const {
    return run_->period(sample, period, fileInterface).cycleCount;
}

std::int32_t WiffFileData::numberOfSamples() const { return run_->sampleCount(); }

AcquisitionInfo WiffFileData::acquisitionInfo(std::int32_t sample) const {
    const WiffSample& found = run_->sample(sample, fileInterface);
    return AcquisitionInfo({0, found.modelCode, found.modelName});
}

std::int32_t WiffFileData::numberOfExperiments(std::int32_t sample, std::int32_t period) const {
    return run_->period(sample, period, fileInterface).experimentCount;
}

PeriodInfo WiffFileData::periodInfo(std::int32_t sample, std::int32_t period) const {
    return PeriodInfo(run_, run_->period(sample, period, fileInterface));
}

float WiffFileData::cycleTime(std::int32_t sample, std::int32_t period, std::int32_t experiment,
                              std::int32_t cycle) const {
    const WiffPeriod& found = run_->period(sample, period, fileInterface);
    WiffRun::checkExperiment(found, experiment, fileInterface);
    WiffRun::checkCycle(found, cycle, fileInterface);
    const WiffScan* scan = found.find(experiment, cycle);
    return scan != nullptr ? scan->cycleTime : 0.0f;
}

std::vector<std::int32_t> WiffFileData::cyclesWithSpectra(std::int32_t sample, std::int32_t period) const {
    return run_->period(sample, period, fileInterface).cyclesWithSpectra();
}

std::shared_ptr<const OpenFormatExport> WiffFileData::sampleExport(std::int32_t sample) const {
    return run_->sample(sample, fileInterface).source;
}

std::optional<std::size_t> WiffFileData::exportIndex(std::int32_t sample, std::int32_t period, std::int32_t experiment,
                                                     float cycleTime) const {
    const WiffPeriod& found = run_->period(sample, period, fileInterface);
    WiffRun::checkExperiment(found, experiment, fileInterface);
    const WiffScan* scan = found.nearest(experiment, cycleTime, cycleTime);
    if (scan == nullptr) return std::nullopt;
    return scan->exportIndex;
}

std::string WiffFileData::sampleName(std::int32_t sample) const { return run_->sample(sample, fileInterface).name; }

std::vector<std::string> WiffFileData::exportWarnings() const {
    std::vector<std::string> warnings = run_->notTaken();
    std::set<const OpenFormatExport*> said;  // an export may hold several samples
    for (std::int32_t s = 1; s <= run_->sampleCount(); ++s) {
        const OpenFormatExport* source = run_->sample(s, fileInterface).source.get();
        if (!said.insert(source).second) continue;
        const std::vector<std::string> found = source->warnings();
        warnings.insert(warnings.end(), found.begin(), found.end());
    }
    return warnings;
}
