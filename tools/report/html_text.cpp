#include "tools/report/html_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string formatNumber(double value) {
    if (!std::isfinite(value)) return "n/a";
    char text[64];
    if (std::fabs(value - std::round(value)) < 1e-9 * std::max(1.0, std::fabs(value))) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.6g", value);
    }
    return text;
}
