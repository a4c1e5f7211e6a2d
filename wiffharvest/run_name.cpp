#include "wiffharvest/run_name.h"

#include "core/util/format_text.h"

std::string getRunName(std::string_view dataFilename) {
    const std::size_t separator = dataFilename.find_last_of("\\/");
    const std::string_view fileName =
        separator == std::string_view::npos ? dataFilename : dataFilename.substr(separator + 1);
    const std::size_t dot = fileName.rfind('.');
    return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

std::string spectrumName(const std::string& runName, const SciexMSscan& scan) {
    return formatText("%s.%04.0f.%04d.%d.pkl", runName.c_str(), static_cast<double>(scan.scanTime),
                      scan.lastScanNumber, scan.charge);
}

std::string peakListName(const std::string& runName, std::int32_t sample, const SciexMSscan& scan) {
    if (sample <= 1) return spectrumName(runName, scan);
    return formatText("%s_%d.%04.0f.%04d.%d.pkl", runName.c_str(), sample, static_cast<double>(scan.scanTime),
                      scan.lastScanNumber, scan.charge);
}
