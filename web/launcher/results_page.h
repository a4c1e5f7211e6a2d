#pragma once
// /cgi-bin/results: the earlier requests under the results root, newest
// first; with ?request=NAME one request's settings, outcome and files; with
// ?archive=NAME the archive of its files.
#include "web/launcher/launch_config.h"

int showResults(const LaunchConfig& config);
