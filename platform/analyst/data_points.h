#pragma once
// What an experiment trace and a spectrum share: a list of (x, y) points,
// 1-based, and a description text.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/com_runtime.h"

class DataPoints {
public:
    // `point` is 1-based; 0x80070057 outside 1..numberOfDataPoints().
    double xValue(std::int32_t point) const { return valueAt(x_, point); }
    double yValue(std::int32_t point) const { return valueAt(y_, point); }
    std::int32_t numberOfDataPoints() const { return count_; }
    const std::string& description() const { return description_; }

protected:
    explicit DataPoints(const char* interfaceName) : interfaceName_(interfaceName) {}
    void assignPoints(std::vector<double> x, std::vector<double> y, std::string description);
    // `count` points, 0.0 but at `positions` (0-based, ascending), which
    // hold x and y: a trace holds what its cycles have, not one value each.
    void assignSparsePoints(std::int32_t count, std::vector<std::int32_t> positions, std::vector<double> x,
                            std::vector<double> y);
    const char* interfaceName() const { return interfaceName_; }

private:
    double valueAt(const std::vector<double>& values, std::int32_t point) const;

    const char* interfaceName_;
    std::int32_t count_ = 0;
    std::optional<std::vector<std::int32_t>> positions_;  // sparse points only
    std::vector<double> x_;
    std::vector<double> y_;
    std::string description_;
};
