#include "frontend/run_choice.h"

#include <filesystem>

#include "core/util/text_path.h"
#include "platform/openformat/export_names.h"
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
    fs::path data = fs::absolute(path);
    std::error_code error;
    const fs::path name = data.has_filename() ? data.filename() : data.parent_path().filename();
    const bool runFolder = endsWithIgnoringCase(name.string(), ".d");
    std::vector<ChosenRun> runs;
    if (!path.ends_with(".wiff") && !runFolder && fs::is_directory(data, error)) {
        runs = folderRuns(path, data.lexically_normal());
    } else {
        ChosenRun run{.given = path, .program = path.ends_with(".wiff") ? "wiffharvest" : "yepharvest"};
        if (run.program == "yepharvest" && runFolder) data /= "Analysis.yep";
        if (run.program == "yepharvest" && hasExportEnding(name.string())) {
            if (const std::optional<CatalogRun> wiff = wiffRunOfExport(data)) {
                run.program = "wiffharvest";
                data = data.parent_path() / wiff->path;
                run.note = path + " is an export of a .wiff file: wiffharvest reads it as " + data.string() +
                           ", with every export of that file beside it";
            }
        }
        run.dataFilename = data.string();
        run.name = runNameOfDataFile(run.dataFilename);
        runs.push_back(run);
    }
    // Each run's name is a folder of --out and prefixes its rows.
    for (const ChosenRun& run : runs) {
        if (const std::string problem = runNameProblem(run.name); !problem.empty()) {
            throw CommandLineError(run.given + ": " + problem);
        }
    }
    return runs;
}
