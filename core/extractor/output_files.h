#pragma once
// The tab-separated output files of an extraction run, opened by the
// start-up and handed out to the stages that append their rows.
#include <cstdio>

std::FILE* getRejectReasonsStream();
std::FILE* getRunStatsStream();
