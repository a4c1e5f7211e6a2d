#include "platform/analyst/data_points.h"

#include "core/util/format_text.h"
#include "platform/com/com_runtime.h"

double DataPoints::xValue(std::int32_t point) const { return x_[checkedPoint(point)]; }
double DataPoints::yValue(std::int32_t point) const { return y_[checkedPoint(point)]; }

void DataPoints::assignPoints(std::vector<double> x, std::vector<double> y, std::string description) {
    x_ = std::move(x);
    y_ = std::move(y);
    description_ = std::move(description);
}

std::size_t DataPoints::checkedPoint(std::int32_t point) const {
    if (point < 1 || point > numberOfDataPoints()) {
        throw ComError(E_INVALIDARG,
                       formatText("Data point %d requested; there are %d.", point, numberOfDataPoints()), interfaceName_);
    }
    return static_cast<std::size_t>(point - 1);
}
