#include "frontend/run_choice.h"

#include <filesystem>

#include "core/util/text_path.h"
#include "frontend/command_line_error.h"
#include "frontend/run_batch.h"
#include "frontend/run_catalog.h"

namespace fs = std::filesystem;

namespace {

std::vector<ChosenRun> folderRuns(const std::string& given, const fs::path& folder) {
    std::vector<CatalogRun> found;
    try {
        found = catalogRuns(folder);
    } catch (const fs::filesystem_error& error) {
        throw CommandLineError(given + ": the folder cannot be read: " + error.code().message());
    }
    if (found.empty()) {
        throw CommandLineError(given +
                               ": no runs in this folder (X.d run folders, mzML or mzXML exports, or X.wiff files "
                               "with their exports)");
    }
    std::vector<ChosenRun> runs;
    for (const CatalogRun& run : found) {
        runs.push_back({.given = (fs::path(given) / run.source).string(), .name = run.name, .program = run.program,
                        .dataFilename = (folder / run.path).string()});
    }
    return runs;
}

}  // namespace

std::vector<ChosenRun> chooseRuns(const std::string& path) {
    if (endsWithIgnoringCase(path, ".wiff") && !path.ends_with(".wiff")) {
        throw CommandLineError(path +
                               ": name the .wiff file with its ending in lower case, .wiff (wiffharvest tells its runs by it)");
    }
    // The program runs in a working folder of its own.
    const fs::path data = fs::absolute(path);
    std::vector<ChosenRun> runs;
    if (const std::optional<CatalogRun> named = runOfNamedPath(data)) {
        ChosenRun run{.given = path, .name = named->name, .program = named->program, .dataFilename = named->path};
        if (run.program == Program::wiffharvest && !path.ends_with(".wiff")) {
            run.note = path + " is an export of a .wiff file: wiffharvest reads it as " + run.dataFilename +
                       ", with every export of that file beside it";
        }
        // Refused here as the web refuses it, before anything is made.
        if (const std::optional<std::string> missing = missingRun(run.program, run.dataFilename, {}, "")) {
            throw CommandLineError(path + ": " + *missing);
        }
        runs.push_back(run);
    } else {
        runs = folderRuns(path, data.lexically_normal());
    }
    // Each run's name is a folder of --out and prefixes its rows.
    for (const ChosenRun& run : runs) {
        if (const std::string problem = runProblem(run.name, run.dataFilename); !problem.empty()) {
            throw CommandLineError(run.given + ": " + problem);
        }
    }
    return runs;
}
