#pragma once
// One period of a sample: the experiments its cycles run.
#include <cstdint>
#include <memory>

#include "platform/analyst/experiment_info.h"

class WiffRun;
struct WiffPeriod;

class PeriodInfo {
public:
    PeriodInfo(std::shared_ptr<const WiffRun> run, const WiffPeriod& period) : run_(std::move(run)), period_(&period) {}
    // `experiment` is 0-based; 0x80070057 outside the period's experiments.
    ExperimentInfo experimentInfo(std::int32_t experiment) const;

private:
    std::shared_ptr<const WiffRun> run_;  // keeps the period alive
    const WiffPeriod* period_;
};
