#pragma once
// Checks a request before anything runs: its paths against the two roots,
// each value against the key table, the whole query against the programs'
// own range check; then rewrites the query so that the program sees only
// checked, canonical values and the front ends' defaults for the keys left
// out.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/util/cgi_query.h"
#include "frontend/key_choices.h"
#include "frontend/program.h"

struct LaunchRoots {
    std::filesystem::path data;     // runs to read
    std::filesystem::path results;  // every request's folder
};

struct Refusal {
    int status = 400;
    std::string reason;  // plain text for the page
};

struct CheckedRequest {
    std::vector<QueryEntry> entries;  // what the program gets, each key once
    std::vector<QueryEntry> filled;   // the front ends' defaults filled in
    std::vector<std::string> ignored;  // names no stage of the program reads, passed on
    std::filesystem::path dataFile;
    std::filesystem::path requestFolder;
    std::filesystem::path resultsDir;  // canonical, without the trailing "/" the query gets
    std::filesystem::path logDir;
    std::string specFeaturesFilename;
    std::string runName;  // the program's, the prefix of its output names
};

// Makes the new folder of a request under the results root, named after the
// run; nothing when it cannot. Called only after every check has passed.
using RequestFolderMaker = std::function<std::optional<std::filesystem::path>(const std::string& runName)>;

struct RequestRules {
    Program program = Program::yepharvest;
    LaunchRoots roots;
    std::vector<OfferedChoice> cysteines;  // what cys may take
};

// The last occurrence of a key is the one the programs apply, so that is the
// one checked and passed on.
std::variant<Refusal, CheckedRequest> checkRequest(const std::vector<QueryEntry>& entries, const RequestRules& rules,
                                                   const RequestFolderMaker& makeRequestFolder);

// A request folder's name starts with the run name, with only letters,
// digits and "._-" kept.
std::string folderNameOf(const std::string& runName);
