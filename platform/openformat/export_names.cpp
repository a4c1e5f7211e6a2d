#include "platform/openformat/export_names.h"

#include <algorithm>
#include <iterator>

#include "core/util/text_path.h"

namespace {

constexpr std::string_view exportEndings[] = {".mzML.gz", ".mzXML.gz", ".mzML", ".mzXML"};

}  // namespace

bool hasExportEnding(std::string_view fileName) {
    return std::any_of(std::begin(exportEndings), std::end(exportEndings), [&](std::string_view ending) {
        return fileName.size() > ending.size() && endsWithIgnoringCase(fileName, ending);
    });
}

std::string exportBaseName(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    const std::string_view fileName = separator == std::string_view::npos ? path : path.substr(separator + 1);
    for (const std::string_view ending : exportEndings) {
        if (fileName.size() > ending.size() && endsWithIgnoringCase(fileName, ending)) {
            return std::string(fileName.substr(0, fileName.size() - ending.size()));
        }
    }
    return {};
}
