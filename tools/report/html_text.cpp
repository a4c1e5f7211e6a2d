#include "tools/report/html_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string escapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&#39;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

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
