#include "frontend/root_runs.h"

#include <system_error>

#include "core/util/text_path.h"
#include "platform/analyst/wiff_exports.h"
#include "platform/msanalysis/ms_analysis.h"
#include "platform/openformat/export_names.h"
#include "frontend/run_catalog.h"

namespace fs = std::filesystem;

namespace {

// The name yepharvest's driver takes the run folder from.
constexpr const char* yepFileName = "Analysis.yep";

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool isFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
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
    if (program == Program::yepharvest) {
        // A run folder that is not there is still named as one, so that
        // its refusal names it.
        std::error_code error;
        const bool runFolderName = equalsIgnoringCase(named.extension().string(), ".d") && !fs::exists(named, error);
        return isFolder(named) || runFolderName ? named / yepFileName : named;
    }
    if (!hasExportEnding(named.filename().string()) || !isFile(named)) return named;
    const std::optional<CatalogRun> run = wiffRunOfExport(named);
    return run ? named.parent_path() / run->path : named;
}

std::optional<std::string> missingRun(Program program, const fs::path& dataRoot, const fs::path& dataFile) {
    if (program == Program::wiffharvest) {
        if (!exportsOf(dataFile).empty()) return std::nullopt;
        const std::string run = dataFile.stem().string();
        return "no export of it lies beside it under the data root (" + run + ".mzML, " + run + ".mzXML, " + run +
               "-<sample>.mzML or " + run + "-<sample>.mzXML, each also with .gz).";
    }
    if (hasExportEnding(dataFile.filename().string())) {
        return isFile(dataFile) ? std::nullopt
                                : std::optional<std::string>("there is no such file under the data root.");
    }
    const fs::path folder = dataFile.parent_path();
    const std::string folderText = relativeText(folder, dataRoot);
    if (!isFolder(folder)) return "there is no run folder " + folderText + " under the data root.";
    if (findAnalysisExport(folder)) return std::nullopt;
    return (folderText == "." ? std::string("the data root") : "the run folder " + folderText) +
           " holds no run export (Analysis.mzML, Analysis.mzXML, or either with .gz).";
}
