#pragma once
// What an experiment trace and a spectrum share: a list of (x, y) points,
// 1-based, and a description text.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/com_runtime.h"

class DataPoints {
public:
    // `point` is 1-based; 0x80070057 outside 1..numberOfDataPoints().
    double xValue(std::int32_t point) const;
    double yValue(std::int32_t point) const;
    std::int32_t numberOfDataPoints() const { return static_cast<std::int32_t>(x_.size()); }
    const std::string& description() const { return description_; }

protected:
    explicit DataPoints(const char* interfaceName) : interfaceName_(interfaceName) {}
    void assignPoints(std::vector<double> x, std::vector<double> y, std::string description);
    const char* interfaceName() const { return interfaceName_; }

private:
    std::size_t checkedPoint(std::int32_t point) const;

    const char* interfaceName_;
    std::vector<double> x_;
    std::vector<double> y_;
    std::string description_;
};
