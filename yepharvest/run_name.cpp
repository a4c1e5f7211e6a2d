#include "yepharvest/run_name.h"

#include <array>

#include "core/util/format_text.h"
#include "platform/openformat/export_names.h"

namespace {

std::string_view afterLastSeparator(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

std::string getRunName(std::string_view dataFilename) {
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

std::string spectrumName(const std::string& runName, const MSscan& scan) {
    return formatText("%s.%04d.%04d.%d.pkl", runName.c_str(), scan.scanNumber, scan.lastScanNumber, scan.charge);
}
