#pragma once
// Where the launcher finds the roots, the programs and the working folder:
// set by the server for every request.
#include <filesystem>
#include <optional>
#include <string>

#include "web/launcher/request_check.h"

struct LaunchConfig {
    LaunchRoots roots;                   // QUARROW_DATA_ROOT, QUARROW_RESULTS_ROOT
    std::filesystem::path programDir;    // QUARROW_PROGRAM_DIR: yepharvest, wiffharvest
    std::filesystem::path workDir;       // QUARROW_WORK_DIR: holds msparams_quarrow/
};

// nullopt, with the name of the first variable missing, when one is unset;
// the roots must exist.
std::optional<LaunchConfig> configFromEnvironment(std::string& problem);
