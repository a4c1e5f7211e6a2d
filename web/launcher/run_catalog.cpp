#include "web/launcher/run_catalog.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Deep trees and huge folders make the page useless, not more helpful.
constexpr int maxDepth = 5;
constexpr std::size_t maxRuns = 2000;

constexpr std::array<std::string_view, 4> exportEndings = {".mzML", ".mzXML", ".mzML.gz", ".mzXML.gz"};

std::string_view exportEnding(std::string_view name) {
    for (const std::string_view ending : exportEndings) {
        if (name.size() > ending.size() && name.substr(name.size() - ending.size()) == ending) return ending;
    }
    return {};
}

bool holdsAnalysisExport(const fs::path& folder) {
    std::error_code error;
    for (const std::string_view ending : exportEndings) {
        if (fs::is_regular_file(folder / ("Analysis" + std::string(ending)), error)) return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> findRuns(const fs::path& dataRoot, const std::string& program) {
    const bool yep = program == "yepharvest";
    std::set<std::string> runs;
    std::error_code error;
    for (fs::recursive_directory_iterator it(dataRoot, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end && runs.size() < maxRuns; it.increment(error)) {
        if (it.depth() >= maxDepth) it.disable_recursion_pending();
        const fs::path& path = it->path();
        const std::string name = path.filename().string();
        const fs::path relative = path.lexically_relative(dataRoot);
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            if (path.extension() == ".d") {
                if (yep && holdsAnalysisExport(path)) runs.insert((relative / "Analysis.yep").generic_string());
                it.disable_recursion_pending();
            }
            continue;
        }
        if (!yep && path.extension() == ".wiff") {
            runs.insert(relative.generic_string());
            continue;
        }
        const std::string_view ending = exportEnding(name);
        if (ending.empty()) continue;
        if (yep) {
            runs.insert(relative.generic_string());
        } else {
            std::string run = name.substr(0, name.size() - ending.size());
            if (const std::size_t dash = run.rfind('-'); dash != std::string::npos && dash > 0) run.resize(dash);
            runs.insert((relative.parent_path() / (run + ".wiff")).generic_string());
        }
    }
    return {runs.begin(), runs.end()};
}

std::vector<std::string> cysteineNames(const fs::path& cysteinesFile) {
    std::vector<std::string> names;
    std::ifstream stream(cysteinesFile);
    bool header = true;
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string name = line.substr(0, line.find('\t'));
        if (header) {
            header = false;  // cysteineName, AAsymbol
            continue;
        }
        if (!name.empty()) names.push_back(name);
    }
    return names;
}
