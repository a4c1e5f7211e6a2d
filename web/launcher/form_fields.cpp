#include "web/launcher/form_fields.h"

namespace {

// The launcher checks every path against its roots and every file name for
// being plain, so its help says so.
std::string launcherHelp(const QueryKey& key, Program program) {
    for (const ProgramHelp& help : key.rootedHelp) {
        if (help.programs == KeyPrograms::both || (help.programs == KeyPrograms::yepharvest) == (program == Program::yepharvest)) {
            return help.text;
        }
    }
    if (key.role == KeyRole::logFileName) return std::string(key.help) + " A plain file name ending in .txt.";
    if (key.role == KeyRole::fileName) return std::string(key.help) + " A plain file name.";
    return key.help;
}

}  // namespace

std::vector<FormField> formFields(Program program) {
    std::vector<FormField> fields;
    for (const QueryKey& key : queryKeys()) {
        // Every request gets its own new folder with peaklists/ and logs/.
        if (key.unused || key.role == KeyRole::folder || !readBy(key, program)) continue;
        fields.push_back({&key, launcherHelp(key, program), frontEndValue(key)});
    }
    return fields;
}
