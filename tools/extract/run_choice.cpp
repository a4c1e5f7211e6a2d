#include "tools/extract/run_choice.h"

#include <filesystem>

#include "core/util/text_path.h"
#include "platform/openformat/export_names.h"
#include "tools/extract/extract_command.h"

namespace fs = std::filesystem;

std::vector<ChosenRun> chooseRuns(const std::string& path) {
    if (endsWithIgnoringCase(path, ".wiff") && !path.ends_with(".wiff")) {
        throw CommandLineError(path +
                               ": name the .wiff file with its ending in lower case, .wiff (wiffharvest tells its runs by it)");
    }
    ChosenRun run{.given = path, .program = path.ends_with(".wiff") ? "wiffharvest" : "yepharvest"};
    // The program runs in a working folder of its own.
    fs::path data = fs::absolute(path);
    std::error_code error;
    const fs::path name = data.has_filename() ? data.filename() : data.parent_path().filename();
    if (run.program == "yepharvest" && (fs::is_directory(data, error) || endsWithIgnoringCase(name.string(), ".d"))) {
        data /= "Analysis.yep";
    }
    run.dataFilename = data.string();
    run.name = runNameOfDataFile(run.dataFilename);
    // The name is a folder of --out: it must stay one.
    if (run.name.empty() || run.name == "." || run.name == "..") throw CommandLineError(path + ": no run name can be made of it");
    return {run};
}
