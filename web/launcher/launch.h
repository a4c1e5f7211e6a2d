#pragma once
// One request for a program: check it, run the program, stream its page,
// append the links to what it wrote.
#include <string>

#include "web/launcher/launch_config.h"

// Writes the whole response to standard output; returns the launcher's exit
// status (0 when a response was written, whatever the program did).
int launchProgram(const std::string& programName, const LaunchConfig& config);
