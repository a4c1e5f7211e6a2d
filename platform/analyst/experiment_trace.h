#pragma once
// The signal of one experiment over the cycles of its period: point c + 1
// holds cycle c's start time (x) and total ion current (y), 0.0 for a
// cycle in which the experiment has no spectrum (a skipped scan).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/analyst/data_points.h"

class WiffRun;

class ExperimentTrace : public DataPoints {
public:
    ExperimentTrace() : DataPoints("IExperimentTrace") {}

    // Opens the .wiff file as WiffApplication::openWiff does.
    void setWiffFileName(const std::string& path);
    // Sample 1-based, period and experiment 0-based; 0x80004005 before a
    // file is set, 0x80070057 for indices outside it.
    void selectExperiment(std::int32_t sample, std::int32_t period, std::int32_t experiment);

private:
    std::shared_ptr<const WiffRun> run_;
};
