#include "platform/analyst/wiff_exports.h"

#include <algorithm>
#include <filesystem>

#include "core/util/format_text.h"
#include "platform/openformat/export_names.h"

namespace fs = std::filesystem;

WiffExportSearch findWiffExports(const std::string& wiffPath) {
    std::string local = wiffPath;
    std::replace(local.begin(), local.end(), '\\', '/');
    const std::size_t separator = local.find_last_of('/');
    WiffExportSearch search;
    search.folder = separator == std::string::npos ? "." : local.substr(0, separator + 1);
    const std::string fileName = separator == std::string::npos ? local : local.substr(separator + 1);
    search.runName = fileName.substr(0, fileName.find_last_of('.'));

    std::vector<std::pair<std::string, std::string>> found;  // file name, path
    std::error_code error;
    for (fs::directory_iterator it(search.folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::string name = it->path().filename().string();
        if (!hasExportEnding(name)) continue;
        const std::string base = exportBaseName(name);
        if (base == search.runName || base.starts_with(search.runName + "-")) found.emplace_back(name, it->path().string());
    }
    std::sort(found.begin(), found.end());
    for (auto& [name, path] : found) search.files.push_back(std::move(path));
    return search;
}

std::string describeMissingExports(const WiffExportSearch& search) {
    const char* run = search.runName.c_str();
    return formatText(
        "No export of the .wiff file was found in the folder %s: looked for %s.mzML, %s.mzXML, %s.mzML.gz and "
        "%s.mzXML.gz, and for %s-<sample>.mzML, %s-<sample>.mzXML, %s-<sample>.mzML.gz and %s-<sample>.mzXML.gz "
        "(endings in any letter case).",
        search.folder.c_str(), run, run, run, run, run, run, run, run);
}
