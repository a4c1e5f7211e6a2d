#include "platform/openformat/export_names.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "core/util/text_path.h"

namespace {

constexpr std::string_view exportEndings[] = {".mzML.gz", ".mzXML.gz", ".mzML", ".mzXML"};

std::string_view afterLastSeparator(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

bool hasExportEnding(std::string_view fileName) {
    return std::any_of(std::begin(exportEndings), std::end(exportEndings), [&](std::string_view ending) {
        return fileName.size() > ending.size() && endsWithIgnoringCase(fileName, ending);
    });
}

std::string exportBaseName(std::string_view path) {
    const std::string_view fileName = afterLastSeparator(path);
    for (const std::string_view ending : exportEndings) {
        if (fileName.size() > ending.size() && endsWithIgnoringCase(fileName, ending)) {
            return std::string(fileName.substr(0, fileName.size() - ending.size()));
        }
    }
    return {};
}

std::string runNameOfDataFile(std::string_view dataFilename) {
    constexpr std::array<std::string_view, 2> folderSuffixes = {".D", ".d"};
    for (const std::string_view folderSuffix : folderSuffixes) {
        for (const char separator : {'\\', '/'}) {
            std::string suffix(folderSuffix);
            suffix += separator;
            suffix += "Analysis.yep";
            const std::size_t at = dataFilename.find(suffix);
            if (at != std::string_view::npos) return std::string(afterLastSeparator(dataFilename.substr(0, at)));
        }
    }
    // A data file given directly: an open-format export loses its whole
    // ending (".mzML.gz"), anything else its last extension.
    const std::string_view fileName = afterLastSeparator(dataFilename);
    if (hasExportEnding(fileName)) return exportBaseName(fileName);
    const std::size_t dot = fileName.rfind('.');
    return std::string(dot == std::string_view::npos || dot == 0 ? fileName : fileName.substr(0, dot));
}
