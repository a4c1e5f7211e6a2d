#include "web/launcher/form_fields.h"

#include <algorithm>

#include "core/extractor/query_keys.h"

namespace {

// The launcher fills in the folders and checks every path against its
// roots, so its help for these keys says so.
std::string launcherHelp(const QueryKey& key, const std::string& program) {
    const std::string name = key.name;
    if (name == "xtractorDataFilename") {
        return program == "wiffharvest"
                   ? "The .wiff file under the data root (a path without a leading / starts there); its folder holds "
                     "the exports <run>.mzML or <run>-<sample>.mzML. Pick one of the runs found below or type a path."
                   : "The run's data file under the data root (a path without a leading / starts there): a run "
                     "folder's X.d/Analysis.yep, the folder holding Analysis.mzML or Analysis.mzXML (plain or .gz), "
                     "or an export file itself. Pick one of the runs found below or type a path.";
    }
    if (name == "resultsXtractorDir") {
        return "Folder of the peak lists, under the results root. Leave empty: every request gets a new folder named "
               "after the run and the time, with peaklists/ and logs/ in it.";
    }
    if (name == "logFileDir") {
        return "Folder of the four logs (spectrum features, reject reasons, charge check, run statistics), under the "
               "results root; they are appended to. Leave empty for the request's own folder.";
    }
    if (name == "specFeaturesFilename") return std::string(key.help) + " A plain file name, no folders.";
    return key.help;
}

FieldKind kindOf(const QueryKey& key) {
    if (key.cysteineChoices) return FieldKind::Cysteine;
    if (!key.choices.empty()) return FieldKind::Choice;
    if (key.type == KeyType::integer) return FieldKind::Integer;
    if (key.type == KeyType::real) return FieldKind::Real;
    return FieldKind::Text;
}

// The folders are the launcher's to fill in: their fields start empty.
std::string formDefault(const QueryKey& key) {
    const std::string name = key.name;
    if (name == "resultsXtractorDir" || name == "logFileDir") return "";
    return frontEndValue(key);
}

}  // namespace

std::vector<std::string> formGroups() {
    std::vector<std::string> groups;
    for (const char* group : queryKeyGroups()) {
        const bool offered = std::any_of(queryKeys().begin(), queryKeys().end(),
                                         [&](const QueryKey& key) { return !key.unused && key.group == group; });
        if (offered) groups.emplace_back(group);
    }
    return groups;
}

std::vector<FormField> formFields(const std::string& program) {
    std::vector<FormField> fields;
    for (const QueryKey& key : queryKeys()) {
        if (key.unused || !readBy(key, program)) continue;
        FormField field{key.name, key.label, key.group, kindOf(key), formDefault(key), launcherHelp(key, program), {}};
        for (const KeyChoice& choice : key.choices) field.choices.push_back({choice.value, choice.label});
        fields.push_back(std::move(field));
    }
    return fields;
}
