#include "tools/report/export_values.h"

#include <cmath>
#include <exception>

#include "core/util/text_path.h"
#include "platform/analyst/wiff_run.h"
#include "platform/com/com_runtime.h"
#include "platform/msanalysis/acquisition_date.h"
#include "platform/msanalysis/ms_analysis.h"

namespace {

std::string scanText(long scan) { return "scan " + std::to_string(scan); }

}  // namespace

std::optional<ExportIdentity> readExportIdentity(const std::string& dataFilename) {
    MSAnalysis analysis;
    if (analysis.Open(hasExportEnding(dataFilename) ? dataFilename : gen_path_from_filename(dataFilename)) < 0) {
        return std::nullopt;
    }
    return ExportIdentity{analysis.getAnalysisName(), analysis.getSampleName(),
                          formatAcquisitionDate(analysis.getAcquisitionDate())};
}

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

RunExports openRunExports(RunProgram program, const std::string& dataFilename) {
    RunExports exports;
    if (program == RunProgram::wiffharvest) {
        try {
            const std::shared_ptr<const WiffRun> run = openWiffRun(dataFilename, "quarrow-report");
            for (std::int32_t s = 1; s <= run->sampleCount(); ++s) {
                exports.samples.push_back(run->sample(s, "quarrow-report").source);
            }
        } catch (const ComError& error) {
            exports.failure = error.description();
        }
        return exports;
    }
    MSAnalysis analysis;
    if (analysis.Open(hasExportEnding(dataFilename) ? dataFilename : gen_path_from_filename(dataFilename)) < 0) {
        exports.failure = analysis.openFailureDescription();
    } else {
        exports.samples.push_back(analysis.openedExport());
    }
    return exports;
}

std::optional<std::string> readWiffExportTimes(std::vector<WrittenSpectrum>& spectra, const RunExports& exports) {
    // Each sample's MS/MS spectra by precursor, with their start times.
    struct Taken {
        double mz = 0.0;
        double seconds = 0.0;
    };
    std::vector<std::vector<Taken>> taken(exports.samples.size());
    for (std::size_t s = 0; s < exports.samples.size(); ++s) {
        const OpenFormatExport& run = *exports.samples[s];
        for (std::size_t i = 0; i < run.spectrumCount(); ++i) {
            const ExportSpectrum spectrum = run.spectrum(i);
            if (effectiveMsLevel(spectrum) < 2 || spectrum.precursors.empty() || spectrum.scanStartSeconds < 0.0) continue;
            taken[s].push_back({spectrum.precursors.front().mz, spectrum.scanStartSeconds});
        }
    }
    // A sample's rows come in the order of its spectra: each row's spectrum
    // is the first match at or after the previous row's. A precursor chosen
    // again within seconds matches twice; the first is the group's head,
    // which the later one was merged into.
    std::vector<double> minutes;
    std::vector<double> after(taken.size(), -1.0);
    long unmatched = 0;
    for (const WrittenSpectrum& spectrum : spectra) {
        const auto sample = static_cast<std::size_t>(spectrum.sample - 1);
        const Taken* found = nullptr;
        if (sample < taken.size() && spectrum.selectedParentMz && spectrum.nameScanTime) {
            for (const Taken& t : taken[sample]) {
                // The features file gives the precursor to two decimals; the
                // name the time in 6-second steps.
                if (t.seconds < after[sample] || std::fabs(t.mz - *spectrum.selectedParentMz) > 0.0051) continue;
                if (std::fabs(t.seconds / 6.0 - static_cast<double>(*spectrum.nameScanTime)) > 1.0) continue;
                if (found == nullptr || t.seconds < found->seconds) found = &t;
            }
        }
        if (found == nullptr) {
            ++unmatched;
            minutes.push_back(0.0);
            continue;
        }
        after[sample] = found->seconds;
        minutes.push_back(found->seconds / 60.0);
    }
    if (unmatched > 0) {
        return std::to_string(unmatched) + " of the " + std::to_string(spectra.size()) +
               " written spectra have no MS/MS spectrum in the exports with their precursor at the time of "
               "their name, so the times drawn are the names' 0.1-minute steps.";
    }
    for (std::size_t i = 0; i < spectra.size(); ++i) spectra[i].retentionMinutes = minutes[i];
    return std::nullopt;
}
