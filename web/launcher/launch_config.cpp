#include "web/launcher/launch_config.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> folderFrom(const char* variable, std::string& problem) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] == '\0') {
        problem = std::string(variable) + " is not set for the launcher.";
        return std::nullopt;
    }
    std::error_code error;
    if (!fs::is_directory(value, error)) {
        problem = std::string(variable) + " names no folder: " + value;
        return std::nullopt;
    }
    return fs::path(value);
}

}  // namespace

std::optional<LaunchConfig> configFromEnvironment(std::string& problem) {
    LaunchConfig config;
    const auto data = folderFrom("QUARROW_DATA_ROOT", problem);
    const auto results = data ? folderFrom("QUARROW_RESULTS_ROOT", problem) : std::nullopt;
    const auto programs = results ? folderFrom("QUARROW_PROGRAM_DIR", problem) : std::nullopt;
    const auto work = programs ? folderFrom("QUARROW_WORK_DIR", problem) : std::nullopt;
    if (!work) return std::nullopt;
    std::error_code error;
    config.roots = {fs::canonical(*data, error), fs::canonical(*results, error)};
    config.programDir = *programs;
    config.workDir = *work;
    return config;
}
