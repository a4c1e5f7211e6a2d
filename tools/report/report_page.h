#pragma once
// The run report as one self-contained HTML page: inline CSS and SVG only.
#include <string>

#include "tools/report/run_report.h"

std::string renderReportPage(const RunReport& report);
