#include "tools/report/export_values.h"

#include <cmath>
#include <exception>

#include "core/util/text_path.h"
#include "platform/com/com_runtime.h"
#include "platform/msanalysis/ms_analysis.h"

namespace {

std::string scanText(long scan) { return "scan " + std::to_string(scan); }

}  // namespace

std::optional<std::string> readExportValues(std::vector<WrittenSpectrum>& spectra, const std::string& dataFilename) {
    const std::string notRead = "The retention times of " + dataFilename + " were not read: ";
    const std::string runPath = hasExportEnding(dataFilename) ? dataFilename : gen_path_from_filename(dataFilename);
    MSAnalysis analysis;
    if (analysis.Open(runPath) < 0) return notRead + analysis.openFailureDescription();
    std::vector<std::optional<double>> seconds;
    std::vector<std::optional<int>> charges;
    try {
        const MSSpectrumCollection collection = analysis.getSpectra();
        const std::int32_t count = collection.getCount();
        for (const WrittenSpectrum& spectrum : spectra) {
            const long scan = spectrum.scanNumber.value_or(0);
            const std::string another = "it is not the export of this run (" + spectrum.name + ": ";
            if (scan < 1 || scan > count) {
                return notRead + another + "the export has " + std::to_string(count) + " spectra, no " + scanText(scan) + ").";
            }
            const MSSpectrum found = collection.getItem(static_cast<std::int32_t>(scan));
            std::vector<double> precursors;
            std::int32_t precursorCount = 0;
            found.getPrecursor(precursors, precursorCount);
            // The features file gives the precursor to two decimals.
            if (found.getMSOrder() < 1 || precursorCount < 1 ||
                (spectrum.selectedParentMz && std::fabs(precursors.front() - *spectrum.selectedParentMz) > 0.0051)) {
                return notRead + another + scanText(scan) + " of the export has another precursor).";
            }
            seconds.push_back(found.scanStartSeconds());
            charges.push_back(found.precursorCharge());
        }
    } catch (const ComError& error) {
        return notRead + error.description();
    } catch (const std::exception& error) {
        return notRead + error.what();
    }
    for (std::size_t i = 0; i < spectra.size(); ++i) spectra[i].instrumentCharge = charges[i];
    for (std::size_t i = 0; i < spectra.size(); ++i) {
        if (!seconds[i]) return notRead + "the export gives no start time for " + scanText(*spectra[i].scanNumber) + ".";
    }
    for (std::size_t i = 0; i < spectra.size(); ++i) spectra[i].retentionMinutes = *seconds[i] / 60.0;
    return std::nullopt;
}
