#include "frontend/root_runs.h"

#include <system_error>

#include "platform/analyst/wiff_exports.h"
#include "frontend/run_catalog.h"

namespace fs = std::filesystem;

namespace {

// The name yepharvest's driver takes the run folder from.
constexpr const char* yepFileName = "Analysis.yep";

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

std::vector<std::string> exportsOf(const fs::path& wiffFile) { return findWiffExports(wiffFile.string()).files; }

std::string relativeText(const fs::path& path, const fs::path& root) {
    return path.lexically_relative(root).generic_string();
}

}  // namespace

std::vector<std::string> runsToPick(const fs::path& dataRoot, Program program) {
    std::vector<std::string> shown;
    for (const CatalogRun& run : pickerRuns(dataRoot, program)) shown.push_back(run.source);
    return shown;
}

std::string shownRun(const fs::path& dataRoot, const std::string& dataFile) {
    const fs::path file = dataFile;
    if (file.filename() == yepFileName && file.has_parent_path()) return file.parent_path().generic_string();
    if (file.extension() == ".wiff" && !isFile(dataRoot / file)) {
        const std::vector<std::string> exports = exportsOf(dataRoot / file);
        if (!exports.empty()) return relativeText(exports.front(), dataRoot);
    }
    return dataFile;
}

fs::path programDataFile(Program program, const fs::path& named) {
    const std::optional<CatalogRun> run = runOfNamedPath(named);
    if (!run) return program == Program::yepharvest ? named / yepFileName : named;
    // A run the rule gives to the other program is refused by name.
    return run->program == program ? fs::path(run->path) : named;
}

std::optional<std::string> missingRun(Program program, const fs::path& dataRoot, const fs::path& dataFile) {
    return missingRun(program, dataFile, dataRoot, " under the data root");
}
