#include "web/launcher/request_check.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "core/extractor/query_keys.h"
#include "core/util/text_path.h"
#include "platform/openformat/export_names.h"
#include "frontend/key_values.h"
#include "frontend/run_batch.h"
#include "frontend/root_paths.h"
#include "frontend/root_runs.h"
#include "web/launcher/scan_choice.h"

namespace fs = std::filesystem;

namespace {

// Left empty on the form, a folder or file name means "the launcher's choice".
bool emptyMeansAbsent(const QueryEntry& entry) {
    const QueryKey* key = findQueryKey(entry.name);
    return entry.value.empty() && key != nullptr &&
           (key->role == KeyRole::folder || key->role == KeyRole::fileName || key->role == KeyRole::logFileName);
}

// Why the launcher does not take one entry; nothing when it passes it on.
std::optional<Refusal> entryProblem(const QueryEntry& entry, const RequestRules& rules) {
    const QueryKey* key = findQueryKey(entry.name);
    if (key != nullptr && (key->unused || setPerRun(*key))) return std::nullopt;
    if (std::optional<std::string> problem = keyProblem(entry.name, rules.program, "")) {
        return Refusal{400, *problem};
    }
    if (key == nullptr) return std::nullopt;
    const std::optional<std::string> problem = valueProblem(*key, entry.value, rules.cysteines);
    if (!problem) return std::nullopt;
    // A file name with folders in it names a place outside the request's folders.
    const int status = namesAFile(*key) && !isPlainFileName(entry.value) ? 403 : 400;
    return Refusal{status, entry.name + " \"" + entry.value + "\": " + *problem + "."};
}

// Through the web a request writes only into its own folder, which the
// launcher makes: a folder named by the request could be another request's,
// whose peak lists, records and report it would then change.
std::optional<Refusal> folderProblem(const std::vector<QueryEntry>& entries) {
    for (const QueryKey& key : queryKeys()) {
        if (key.role != KeyRole::folder) continue;
        if (const std::optional<std::string> asked = lastQueryValue(entries, key.name)) {
            return Refusal{400, std::string(key.name) + " \"" + *asked +
                                    "\": a request writes its peak lists and logs only into its own new folder "
                                    "(peaklists/ and logs/); leave it out."};
        }
    }
    return std::nullopt;
}

// `fileName` is the data file's as the program gets it, `dataText` the run as named.
std::optional<Refusal> programProblem(Program program, const std::string& fileName,
                                      const std::string& dataText) {
    const bool wiff = fileName.ends_with(".wiff");
    if (program == Program::wiffharvest && !wiff) {
        return Refusal{400, "wiffharvest reads a .wiff file (its exports lie beside it): \"" + dataText +
                                "\" is neither a .wiff file nor an export of one. Runs of other instruments go to yepharvest."};
    }
    if (program == Program::yepharvest && wiff) {
        return Refusal{400, "\"" + dataText + "\" is a .wiff file: wiffharvest reads it, not yepharvest."};
    }
    return std::nullopt;
}

}  // namespace

std::string folderNameOf(const std::string& runName) {
    std::string name = runName;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-'; }, '_');
    return name.empty() || name == "." || name == ".." ? std::string("run") : name;
}

std::variant<Refusal, CheckedRequest> checkRequest(const std::vector<QueryEntry>& given, const RequestRules& rules,
                                                   const RequestFolderMaker& makeRequestFolder) {
    const auto chosen = withScanChoice(given);
    if (const auto* problem = std::get_if<std::string>(&chosen)) return Refusal{400, *problem};
    std::vector<QueryEntry> entries;
    for (const QueryEntry& entry : std::get<std::vector<QueryEntry>>(chosen)) {
        if (!emptyMeansAbsent(entry)) entries.push_back(entry);
    }
    const std::string dataKey = keyOfRole(KeyRole::runData).name;
    const std::optional<std::string> dataText = lastQueryValue(entries, dataKey);
    if (!dataText || dataText->empty()) return Refusal{400, "No run was chosen: " + dataKey + " is empty."};
    const std::optional<fs::path> named = resolveInsideRoot(rules.roots.data, *dataText);
    if (!named) return Refusal{403, dataKey + " \"" + *dataText + "\" lies outside the data root."};
    const fs::path dataFile = programDataFile(rules.program, *named);
    if (std::optional<Refusal> refused = programProblem(rules.program, dataFile.filename().string(), *dataText)) {
        return *refused;
    }
    if (const std::optional<std::string> missing = missingRun(rules.program, rules.roots.data, dataFile)) {
        return Refusal{404, dataKey + " \"" + *dataText + "\": " + *missing};
    }

    CheckedRequest checked;
    checked.dataFile = dataFile;
    checked.runName = runNameOfDataFile(dataFile.string());
    if (const std::string problem = runProblem(checked.runName, dataFile.string()); !problem.empty()) {
        return Refusal{400, dataKey + " \"" + *dataText + "\": " + problem + "."};
    }
    if (std::optional<Refusal> refused = folderProblem(entries)) return *refused;
    std::vector<QueryEntry> passedOn;
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        const bool later = std::any_of(entry + 1, entries.end(), [&](const QueryEntry& e) { return e.name == entry->name; });
        if (later || entry->name.empty()) continue;
        if (std::optional<Refusal> refused = entryProblem(*entry, rules)) return *refused;
        const QueryKey* key = findQueryKey(entry->name);
        if (key == nullptr || key->unused) {
            passedOn.push_back(*entry);
            checked.ignored.push_back(entry->name);
        }
    }

    const FrontEndQuery query = withFrontEndDefaults(rules.program, entries, perRunKeys());
    std::vector<QueryEntry> settings = query.entries;
    settings.insert(settings.end(), passedOn.begin(), passedOn.end());
    checked.filled = query.filled;
    checked.specFeaturesFilename =
        lastQueryValue(settings, keyOfRole(KeyRole::logFileName).name).value_or("");
    // The folders are not known yet; they do not take part in the range check.
    if (const std::optional<std::string> violation = rangeProblem(settings)) return Refusal{400, *violation};

    const std::optional<fs::path> folder = makeRequestFolder(folderNameOf(checked.runName));
    if (!folder) return Refusal{500, "No folder for this request could be made under the results root."};
    checked.requestFolder = *folder;
    checked.resultsDir = *folder / keyOfField(&ExtractorParameters::resultsXtractorDir).frontEndFolder;
    checked.logDir = *folder / keyOfField(&ExtractorParameters::logFileDir).frontEndFolder;
    checked.entries = perRunEntries(checked.dataFile.string(), folder->string() + "/");
    checked.entries.insert(checked.entries.end(), settings.begin(), settings.end());
    return checked;
}
