#pragma once
// One experiment of a period, as far as it is asked about: its scan type.
#include <cstdint>

class ExperimentInfo {
public:
    explicit ExperimentInfo(std::int16_t scanType) : scanType_(scanType) {}
    // -1 for an experiment without any spectrum in the period.
    std::int16_t scanType() const { return scanType_; }

private:
    std::int16_t scanType_;
};
