#pragma once
// Text for the page: every text that comes from a log passes through
// escapeHtml, whether it lands in HTML or in SVG.
#include <string>
#include <string_view>

#include "core/util/html_escape.h"

// A number for an axis or a label: no more decimals than it needs.
std::string formatNumber(double value);
