#include "platform/msanalysis/ms_analysis.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "core/util/format_text.h"
#include "core/util/text_path.h"
#include "platform/msanalysis/acquisition_date.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* analysisInterface = "IMSAnalysis";
constexpr std::array<std::string_view, 4> runFileNames = {"Analysis.mzML", "Analysis.mzXML", "Analysis.mzML.gz",
                                                          "Analysis.mzXML.gz"};

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

std::optional<fs::path> findAnalysisExport(const fs::path& folder) {
    for (const std::string_view name : runFileNames) {
        if (isFile(folder / name)) return folder / name;
    }
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end());
    for (const std::string_view name : runFileNames) {
        for (const fs::path& entry : entries) {
            if (equalsIgnoringCase(entry.filename().string(), name) && isFile(entry)) return entry;
        }
    }
    return std::nullopt;
}

HRESULT MSAnalysis::Open(const std::string& path) {
    run_.reset();
    openFailure_.clear();
    std::string local = path;
    std::replace(local.begin(), local.end(), '\\', '/');

    fs::path runFile;
    const std::string_view fileName = std::string_view(local).substr(local.find_last_of('/') + 1);
    if (hasExportEnding(fileName) && !isFile(local)) {
        openFailure_ = formatText("The export %s was not found.", local.c_str());
        return E_FILENOTFOUND;
    }
    if (hasExportEnding(fileName)) {
        runFile = local;
    } else {
        std::error_code error;
        const fs::path folder = local.empty() ? fs::path(".") : fs::path(local);
        if (!fs::is_directory(folder, error)) {
            openFailure_ = formatText(
                "No run export was found: the run folder %s does not exist (looked for Analysis.mzML, Analysis.mzXML, "
                "Analysis.mzML.gz or Analysis.mzXML.gz in it).",
                local.c_str());
            return E_FILENOTFOUND;
        }
        const std::optional<fs::path> found = findAnalysisExport(folder);
        if (!found) {
            openFailure_ = formatText(
                "No run export was found: looked for Analysis.mzML, Analysis.mzXML, Analysis.mzML.gz or "
                "Analysis.mzXML.gz (any letter case) in the run folder %s.",
                local.c_str());
            return E_FILENOTFOUND;
        }
        runFile = *found;
    }
    try {
        run_ = OpenFormatExport::open(runFile.string());
    } catch (const ExportReadError& error) {
        openFailure_ = error.what();
        return E_FAIL;
    }
    return S_OK;
}

const OpenFormatExport& MSAnalysis::openRun() const {
    if (!run_) throw ComError(E_FAIL, "No analysis is open.", analysisInterface);
    return *run_;
}

MSSpectrumCollection MSAnalysis::getSpectra() const {
    openRun();
    return MSSpectrumCollection(run_);
}

std::string MSAnalysis::getOperatorName() const { return openRun().runInfo().contactName; }
std::string MSAnalysis::getAnalysisName() const { return openRun().runInfo().runId; }
double MSAnalysis::getAcquisitionDate() const { return timeStampToDays(openRun().runInfo().startTimeStamp); }
std::string MSAnalysis::getSampleName() const {
    const std::vector<std::string>& names = openRun().runInfo().sampleNames;
    return names.empty() ? std::string() : names.front();
}
std::string MSAnalysis::getMethodName() const { return openRun().runInfo().methodName; }
std::vector<std::string> MSAnalysis::getWarnings() const { return openRun().warnings(); }
