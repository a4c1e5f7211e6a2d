#pragma once
// One new folder per request under the results root, named after the run
// and the time: sample7-20240131-142501, then sample7-20240131-142501-2 for
// a second request in the same second; and a request's folder found again by
// that name.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

std::optional<std::filesystem::path> makeRequestFolder(
    const std::filesystem::path& resultsRoot, const std::string& runName,
    std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

// The folder of the request `name` under the results root, after the root
// check; nothing for a name that is no folder there.
std::optional<std::filesystem::path> requestFolder(const std::filesystem::path& resultsRoot, const std::string& name);
