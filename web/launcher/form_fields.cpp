#include "web/launcher/form_fields.h"

#include <string_view>

namespace {

// The launcher fills in the folders and checks every path against its
// roots, so its help for these keys says so.
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
    if (name == "resultsXtractorDir") {
        return "Folder of the peak lists, under the results root. Leave empty: every request gets a new folder named "
               "after the run and the time, with peaklists/ and logs/ in it.";
    }
    if (name == "logFileDir") {
        return "Folder of the four logs (spectrum features, reject reasons, charge check, run statistics), under the "
               "results root; they are appended to. Leave empty for the request's own folder.";
    }
    if (name == "specFeaturesFilename" || name == "output_filename") return std::string(key.help) + " A plain file name.";
    return key.help;
}

}  // namespace

std::vector<FormField> formFields(const std::string& program) {
    std::vector<FormField> fields;
    for (const QueryKey& key : queryKeys()) {
        if (key.unused || !readBy(key, program)) continue;
        const std::string_view name = key.name;
        const bool folder = name == "resultsXtractorDir" || name == "logFileDir";
        fields.push_back({&key, launcherHelp(key, program), folder ? std::string() : frontEndValue(key)});
    }
    return fields;
}
