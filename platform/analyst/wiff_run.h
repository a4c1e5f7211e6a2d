#pragma once
// All samples of one .wiff file, read whole from its exports the first time
// the file is asked for and shared by every object of the process after.
// Index checks raise the parameter error (0x80070057) of the interface
// that was called.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/analyst/wiff_sample.h"

class WiffRun {
public:
    WiffRun(std::vector<WiffSample> samples, std::vector<std::string> notTaken)
        : samples_(std::move(samples)), notTaken_(std::move(notTaken)) {}

    std::int32_t sampleCount() const { return static_cast<std::int32_t>(samples_.size()); }
    // Sample indices are 1-based; period, experiment and cycle 0-based.
    const WiffSample& sample(std::int32_t sample, const char* interfaceName) const;
    const WiffPeriod& period(std::int32_t sample, std::int32_t period, const char* interfaceName) const;
    static void checkExperiment(const WiffPeriod& period, std::int32_t experiment, const char* interfaceName);
    static void checkCycle(const WiffPeriod& period, std::int32_t cycle, const char* interfaceName);
    // The exports beside the file that are not read as its samples, each
    // with the reason.
    const std::vector<std::string>& notTaken() const { return notTaken_; }

private:
    std::vector<WiffSample> samples_;
    std::vector<std::string> notTaken_;
};

// The run of the .wiff file at `wiffPath`, read on the first call for that
// path. Raises 0x80070002 when no export is found or a sample's export is
// missing, 0x80004005 when one is damaged or its ids disagree; both as
// errors of `interfaceName`.
std::shared_ptr<const WiffRun> openWiffRun(const std::string& wiffPath, const char* interfaceName);

// The exports beside the file found not to be its samples, each with the
// reason, as far as the last opening of `wiffPath` got: also when it failed.
std::vector<std::string> exportsNotTaken(const std::string& wiffPath);
