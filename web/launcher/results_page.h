#pragma once
// /cgi-bin/results: the earlier requests under the results root, and with
// ?request=NAME the files of one of them.
#include "web/launcher/launch_config.h"

int showResults(const LaunchConfig& config);
