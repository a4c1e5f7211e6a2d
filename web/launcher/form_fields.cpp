#include "web/launcher/form_fields.h"

#include <string_view>

namespace {

// The launcher checks every path against its roots, so its help for these
// keys says so.
std::string launcherHelp(const QueryKey& key, const std::string& program) {
    const std::string_view name = key.name;
    if (name == "xtractorDataFilename") {
        return program == "wiffharvest"
                   ? "The .wiff file under the data root (a path without a leading / starts there); its folder holds "
                     "the exports <run>.mzML or <run>-<sample>.mzML. Pick one of the runs found or type a path."
                   : "The run's data file under the data root (a path without a leading / starts there): a run "
                     "folder's X.d/Analysis.yep, the folder holding Analysis.mzML or Analysis.mzXML (plain or .gz), "
                     "or an export file itself. Pick one of the runs found or type a path.";
    }
    if (name == "specFeaturesFilename") return std::string(key.help) + " A plain file name ending in .txt.";
    if (name == "output_filename") return std::string(key.help) + " A plain file name.";
    return key.help;
}

}  // namespace

std::vector<FormField> formFields(const std::string& program) {
    std::vector<FormField> fields;
    for (const QueryKey& key : queryKeys()) {
        const std::string_view name = key.name;
        // Every request gets its own new folder with peaklists/ and logs/.
        const bool folder = name == "resultsXtractorDir" || name == "logFileDir";
        if (key.unused || folder || !readBy(key, program)) continue;
        fields.push_back({&key, launcherHelp(key, program), frontEndValue(key)});
    }
    return fields;
}
