#include "yepharvest/run_reader.h"

#include <cstdio>
#include <iostream>
#include <string_view>
#include <variant>

#include "core/util/checked_memory.h"
#include "core/util/format_text.h"
#include "core/util/html_escape.h"
#include "platform/com/com_runtime.h"
#include "platform/msanalysis/acquisition_date.h"
#include "platform/msanalysis/ms_analysis.h"

namespace {

// Each browser line is flushed at once, so the page grows while the run is read.
void printLine(std::string_view text) { std::cout << text << std::endl; }

std::string parameterValueText(const ComVariant& value) {
    if (const std::string* text = std::get_if<std::string>(&value)) return *text;
    if (const double* number = std::get_if<double>(&value)) return formatText("%g", *number);
    if (const std::int32_t* integer = std::get_if<std::int32_t>(&value)) return formatText("%g", static_cast<double>(*integer));
    return formatText("%g", 0.0);
}

// Fills record `index` from `spectrum`; returns whether it is an MS scan.
bool readSpectrum(const MSSpectrum& spectrum, MSscan& scan, std::int32_t index, const ExtractionContext& context) {
    scan.scanNumber = index + 1;
    scan.lastScanNumber = index + 1;
    scan.lastMergedIndex = index;
    scan.msLevel = spectrum.getMSOrder() + 1;
    scan.rejected = 0;
    scan.retentionSeconds = spectrum.scanStartSeconds().value_or(-1.0);
    const bool isMSscan = scan.msLevel == 1;

    const ExtractorParameters& parameters = context.parameters;
    if (scan.scanNumber < parameters.firstScan || scan.scanNumber > parameters.lastScan) {
        scan.rejected = 1;
        context.getRejectReasonsStream().print("\n%s.%d\t0\tscan #: %d outside range %d - %d",
                                               context.runName.c_str(), scan.scanNumber, scan.scanNumber,
                                               parameters.firstScan, parameters.lastScan);
        return isMSscan;
    }

    if (scan.msLevel >= 2) {
        std::vector<double> precursors;
        std::int32_t precursorCount = 0;
        spectrum.getPrecursor(precursors, precursorCount);
        if (precursorCount < 1) {
            scan.rejected = 1;
            return isMSscan;
        }
        scan.selectedParentMz = precursors.front();
        scan.parentMz = precursors.front();
        scan.charge = 0;
        scan.chargePending = 1;
        scan.numMergedScans = 1;
    }

    std::vector<double> mz;
    std::vector<double> intensity;
    std::int32_t count = 0;
    spectrum.getData(0, mz, intensity, count);
    scan.numPeaks = count;
    if (count < 1) {
        scan.rejected = 1;
        return isMSscan;
    }
    SpectrumPoints peaks;
    reserveChecked(peaks, static_cast<std::size_t>(count), "readVelmoraDataIntoMemory");
    for (std::size_t j = 0; j < static_cast<std::size_t>(count); ++j) peaks.push_back({mz[j], intensity[j]});
    scan.peaks = std::move(peaks);
    return isMSscan;
}

// Names, parameters and error descriptions come from the data file and its
// path, so every one is escaped on its way into the page.
void printRunIdentity(const MSAnalysis& analysis) {
    const double date = analysis.getAcquisitionDate();
    printLine("<BR>Analysis Name = " + escapeHtml(analysis.getAnalysisName()));
    printLine("<BR>Operator Name = " + escapeHtml(analysis.getOperatorName()));
    printLine("<BR>Analysis Date and Time = " + formatAcquisitionDate(date));
    printLine("<BR>Sample Name = " + escapeHtml(analysis.getSampleName()));
    printLine("<BR>Method Name = " + escapeHtml(analysis.getMethodName()));
}

void printFirstSpectrumParameters(const MSSpectrumCollection& spectra) {
    printLine("<BR>Parameters:");
    printLine("<BR>GroupName\tParameter Name\tParameter Value");
    const MSParameterCollection parameters = spectra.getItem(1).getParameters();
    const std::int32_t count = parameters.getCount();
    for (std::int32_t j = 1; j <= count; ++j) {
        const ComVariant index(j);
        const std::string group = parameters.getItem(index).getGroupName();
        const std::string name = parameters.getItem(index).getName();
        const std::string value = parameterValueText(parameters.getItem(index).getValue());
        printLine("<BR>" + escapeHtml(group) + "\t\t" + escapeHtml(name) + "\t" + escapeHtml(value));
    }
}

int readRun(const std::string& runPath, RunTable& run, const ExtractionContext& context) {
    MSAnalysis analysis;
    const HRESULT opened = analysis.Open(runPath);
    if (FAILED(opened)) {
        printLine("<BR>Error opening analysis file.");
        printLine(formatText("<BR>MSAnalysis.Open() returned following HRESULT:<BR>%d", opened));
        printLine("<BR>" + escapeHtml(analysis.openFailureDescription()));
        return 1;
    }

    const MSSpectrumCollection spectra = analysis.getSpectra();
    const std::int32_t count = spectra.getCount();
    allocateMSscanMemory(run, count);
    printLine("<BR>-----------------");
    printLine(formatText("<BR>Number of spectra:%d", count));

    bool anyMSscan = false;
    for (std::int32_t i = 0; i < count; ++i) {
        if (readSpectrum(spectra.getItem(i + 1), run[i], i, context)) anyMSscan = true;
    }

    printRunIdentity(analysis);
    writeRunInfo(analysis.getAnalysisName(), analysis.getSampleName(), analysis.getAcquisitionDate(),
                 context.getRunStatsStream());
    printFirstSpectrumParameters(spectra);
    printLine("<BR>-----------------");

    if (!anyMSscan) run.noMSscans = 1;
    return 0;
}

}  // namespace

int readVelmoraDataIntoMemory(const std::string& runPath, RunTable& run, const ExtractionContext& context) {
    try {
        return readRun(runPath, run, context);
    } catch (const ComError& error) {
        printLine("Error: " + escapeHtml(error.description()));
    } catch (...) {
        printLine("A non-COM exception has been thrown");
    }
    return 1;
}

void writeRunInfo(const std::string& analysisName, const std::string& sampleName, double acquisitionDate,
                  LogSink& runStats) {
    runStats.print("FileName\t%s\n", analysisName.c_str());
    runStats.print("SampleName\t%s\n", sampleName.c_str());
    runStats.print("AnalysisDateTime\t%s\n", formatAcquisitionDate(acquisitionDate).c_str());
}
