#pragma once
// The reject-reasons and run-statistics streams for tests that run the
// reader without the extractor start-up: temporary files read back whole.
#include <cstdio>
#include <string>

void resetTestOutputStreams();
std::string testRejectReasons();
std::string testRunStats();
