#pragma once
// Checks a request's paths against the two roots and rewrites its query so
// that the program sees only the checked, canonical values.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/util/cgi_query.h"

struct LaunchRoots {
    std::filesystem::path data;     // runs to read
    std::filesystem::path results;  // every request's peak lists and logs
};

struct Refusal {
    int status = 403;
    std::string reason;  // plain text for the page
};

struct CheckedRequest {
    std::vector<QueryEntry> entries;  // each checked key once, at the end
    std::filesystem::path dataFile;
    std::filesystem::path resultsDir;  // canonical, without the trailing "/" the query gets
    std::filesystem::path logDir;
    std::string specFeaturesFilename;
    std::string runName;
};

// Makes a new folder for a request under the results root; nullopt when it
// cannot. Called only after every check has passed, and only when the
// request leaves a folder empty.
using RequestFolderMaker = std::function<std::optional<std::filesystem::path>(const std::string& runName)>;

inline constexpr const char* defaultSpecFeaturesFilename = "specFeatures.txt";

// The last occurrence of a key is the one the programs apply, so that is the
// one checked; the others are dropped.
std::variant<Refusal, CheckedRequest> checkRequest(const std::vector<QueryEntry>& entries, const LaunchRoots& roots,
                                                   const RequestFolderMaker& makeRequestFolder);

// The run name a folder is named after: X for .../X.d/Analysis.yep, the file
// name without its endings otherwise; only letters, digits and "._-" kept.
std::string runNameOf(const std::filesystem::path& dataFile);
