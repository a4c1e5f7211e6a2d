#include "platform/analyst/data_points.h"

#include <algorithm>

#include "core/util/format_text.h"
#include "platform/com/com_runtime.h"

void DataPoints::assignPoints(std::vector<double> x, std::vector<double> y, std::string description) {
    count_ = static_cast<std::int32_t>(x.size());
    positions_.reset();
    x_ = std::move(x);
    y_ = std::move(y);
    description_ = std::move(description);
}

void DataPoints::assignSparsePoints(std::int32_t count, std::vector<std::int32_t> positions, std::vector<double> x,
                                    std::vector<double> y) {
    count_ = count;
    positions_ = std::move(positions);
    x_ = std::move(x);
    y_ = std::move(y);
    description_.clear();
}

double DataPoints::valueAt(const std::vector<double>& values, std::int32_t point) const {
    if (point < 1 || point > count_) {
        throw ComError(E_INVALIDARG, formatText("Data point %d requested; there are %d.", point, count_), interfaceName_);
    }
    const std::int32_t position = point - 1;
    if (!positions_) return values[static_cast<std::size_t>(position)];
    const auto found = std::lower_bound(positions_->begin(), positions_->end(), position);
    if (found == positions_->end() || *found != position) return 0.0;
    return values[static_cast<std::size_t>(found - positions_->begin())];
}
