#include "web/launcher/request_check.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "web/launcher/root_paths.h"

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 5> checkedKeys = {"xtractorDataFilename", "resultsXtractorDir", "logFileDir",
                                                         "specFeaturesFilename", "output_filename"};

std::optional<std::string> lastValue(const std::vector<QueryEntry>& entries, std::string_view key) {
    std::optional<std::string> value;
    for (const QueryEntry& entry : entries) {
        if (entry.name == key) value = entry.value;
    }
    return value;
}

bool endsWith(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

std::string withoutEnding(std::string name) {
    if (endsWith(name, ".gz")) name.resize(name.size() - 3);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

// A folder the request names, or one inside its request folder.
struct FolderChoice {
    std::optional<fs::path> folder;
    bool refused = false;
};

FolderChoice chooseFolder(const std::optional<std::string>& asked, const fs::path& resultsRoot) {
    if (!asked || asked->empty()) return {};
    const std::optional<fs::path> resolved = resolveInsideRoot(resultsRoot, *asked);
    if (!resolved) return {std::nullopt, true};
    return {resolved, false};
}

std::string asFolderText(const fs::path& folder) { return folder.string() + "/"; }

}  // namespace

std::string runNameOf(const fs::path& dataFile) {
    const fs::path parent = dataFile.parent_path();
    std::string name = parent.extension() == ".d" ? parent.stem().string() : withoutEnding(dataFile.filename().string());
    std::replace_if(
        name.begin(), name.end(),
        [](char c) {
            const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                              c == '_' || c == '-';
            return !kept;
        },
        '_');
    return name.empty() ? std::string("run") : name;
}

std::variant<Refusal, CheckedRequest> checkRequest(const std::vector<QueryEntry>& entries, const LaunchRoots& roots,
                                                   const RequestFolderMaker& makeRequestFolder) {
    const std::optional<std::string> dataText = lastValue(entries, "xtractorDataFilename");
    if (!dataText || dataText->empty()) {
        return Refusal{400, "No run was chosen: xtractorDataFilename is empty."};
    }
    const std::optional<fs::path> dataFile = resolveInsideRoot(roots.data, *dataText);
    if (!dataFile) {
        return Refusal{403, "xtractorDataFilename \"" + *dataText + "\" lies outside the data root."};
    }
    const std::optional<std::string> askedResults = lastValue(entries, "resultsXtractorDir");
    const std::optional<std::string> askedLogs = lastValue(entries, "logFileDir");
    const FolderChoice results = chooseFolder(askedResults, roots.results);
    if (results.refused) {
        return Refusal{403, "resultsXtractorDir \"" + *askedResults + "\" lies outside the results root."};
    }
    const FolderChoice logs = chooseFolder(askedLogs, roots.results);
    if (logs.refused) return Refusal{403, "logFileDir \"" + *askedLogs + "\" lies outside the results root."};

    std::string features = lastValue(entries, "specFeaturesFilename").value_or("");
    if (features.empty()) features = defaultSpecFeaturesFilename;
    if (!isPlainFileName(features)) {
        return Refusal{403, "specFeaturesFilename \"" + features + "\" is not a plain file name."};
    }
    const std::string page = lastValue(entries, "output_filename").value_or("");
    if (!page.empty() && !isPlainFileName(page)) {
        return Refusal{403, "output_filename \"" + page + "\" is not a plain file name."};
    }

    CheckedRequest checked;
    checked.dataFile = *dataFile;
    checked.runName = runNameOf(*dataFile);
    checked.specFeaturesFilename = features;
    if (!results.folder || !logs.folder) {
        const std::optional<fs::path> folder = makeRequestFolder(checked.runName);
        if (!folder) return Refusal{500, "No folder for this request could be made under the results root."};
        checked.resultsDir = results.folder.value_or(*folder / "peaklists");
        checked.logDir = logs.folder.value_or(*folder / "logs");
    } else {
        checked.resultsDir = *results.folder;
        checked.logDir = *logs.folder;
    }

    for (const QueryEntry& entry : entries) {
        if (std::find(checkedKeys.begin(), checkedKeys.end(), entry.name) == checkedKeys.end()) {
            checked.entries.push_back(entry);
        }
    }
    checked.entries.push_back({"xtractorDataFilename", checked.dataFile.string()});
    checked.entries.push_back({"resultsXtractorDir", asFolderText(checked.resultsDir)});
    checked.entries.push_back({"logFileDir", asFolderText(checked.logDir)});
    checked.entries.push_back({"specFeaturesFilename", features});
    if (!page.empty()) checked.entries.push_back({"output_filename", page});
    return checked;
}
