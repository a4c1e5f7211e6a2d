#pragma once
// Not-a-number values print as "nan" or "-nan" depending on their sign bit,
// and 0.0 / 0.0 yields the negative one on common hardware. Values that may
// be not-a-number are stored through this so that every log prints "nan".
#include <cmath>
#include <limits>

inline double printableReal(double value) {
    return std::isnan(value) ? std::numeric_limits<double>::quiet_NaN() : value;
}
