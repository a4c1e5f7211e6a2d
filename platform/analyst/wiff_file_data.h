#pragma once
// An opened .wiff file: its samples, and per sample its periods, cycles and
// experiments. Samples are 1-based; periods, experiments and cycles 0-based.
// An index outside the file raises 0x80070057.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/analyst/acquisition_info.h"
#include "platform/analyst/period_info.h"

class WiffRun;
class OpenFormatExport;

class WiffFileData {
public:
    explicit WiffFileData(std::shared_ptr<const WiffRun> run) : run_(std::move(run)) {}

    std::int32_t numberOfPeriods(std::int32_t sample) const;
    std::int32_t numberOfCycles(std::int32_t sample, std::int32_t period) const;
    std::int32_t numberOfSamples() const;
    AcquisitionInfo acquisitionInfo(std::int32_t sample) const;
    std::int32_t numberOfExperiments(std::int32_t sample, std::int32_t period) const;
    PeriodInfo periodInfo(std::int32_t sample, std::int32_t period) const;
    // Start time in seconds of that experiment's spectrum in that cycle; 0
    // when the export has none.
    float cycleTime(std::int32_t sample, std::int32_t period, std::int32_t experiment, std::int32_t cycle) const;
    std::string sampleName(std::int32_t sample) const;
    // Beyond the object model: the exports beside the file that are not
    // read as its samples, and what the samples' exports hold that their
    // reader passed over; one sentence each.
    std::vector<std::string> exportWarnings() const;
    // Beyond the object model: the cycles of a period that hold a spectrum,
    // ascending. Cycle numbers are the instrument's labels, so a reader that
    // walks every cycle up to numberOfCycles may walk millions that hold
    // nothing; these are the ones that can.
    std::vector<std::int32_t> cyclesWithSpectra(std::int32_t sample, std::int32_t period) const;
    // Beyond the object model: the export a sample was read from, and the
    // position in it of the spectrum that selectSpectrum(sample, period,
    // experiment, cycleTime, cycleTime) selects (nothing when it selects
    // none), for a peak list that names its spectra's origin.
    std::shared_ptr<const OpenFormatExport> sampleExport(std::int32_t sample) const;
    std::optional<std::size_t> exportIndex(std::int32_t sample, std::int32_t period, std::int32_t experiment,
                                           float cycleTime) const;

private:
    std::shared_ptr<const WiffRun> run_;
};
