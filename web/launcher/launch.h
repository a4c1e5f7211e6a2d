#pragma once
// One request for a program: its form when the request names no run (GET
// without a query, or ?again=NAME for a request's settings); otherwise the
// request checked, the program run with its progress streamed, and the
// links to what it wrote, its report and archive.
#include <string>

#include "frontend/program.h"
#include "web/launcher/launch_config.h"

// Writes the whole response to standard output; returns the launcher's exit
// status (0 when a response was written, whatever the program did).
int launchProgram(Program program, const LaunchConfig& config);
