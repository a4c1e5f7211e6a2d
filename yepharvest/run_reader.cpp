#include "yepharvest/run_reader.h"

#include <cstdio>
#include <exception>
#include <variant>

#include "core/extractor/export_warnings.h"
#include "core/util/checked_memory.h"
#include "core/util/format_text.h"
#include "core/util/html_page.h"
#include "core/util/two_cores.h"
#include "platform/com/com_runtime.h"
#include "platform/msanalysis/acquisition_date.h"
#include "platform/msanalysis/ms_analysis.h"

namespace {

// Each browser line is flushed at once, so the page grows while the run is read.
void printLine(const PageHtml& line) { printProgress(line + PageHtml::markup("\n")); }

std::string parameterValueText(const ComVariant& value) {
    if (const std::string* text = std::get_if<std::string>(&value)) return *text;
    if (const double* number = std::get_if<double>(&value)) return formatText("%g", *number);
    if (const std::int32_t* integer = std::get_if<std::int32_t>(&value)) return formatText("%g", static_cast<double>(*integer));
    return formatText("%g", 0.0);
}

bool outsideScanRange(std::int32_t scanNumber, const ExtractorParameters& parameters) {
    return scanNumber < parameters.firstScan || scanNumber > parameters.lastScan;
}

// Fills a record for spectrum `index`, writing nowhere else, so that two
// threads can read spectra at once. What it filled before a failure stays.
void readSpectrum(const MSSpectrum& spectrum, MSscan& scan, std::int32_t index, const ExtractorParameters& parameters) {
    scan.scanNumber = index + 1;
    scan.lastScanNumber = index + 1;
    scan.lastMergedIndex = index;
    scan.msLevel = spectrum.getMSOrder() + 1;
    scan.rejected = false;
    scan.retentionSeconds = spectrum.scanStartSeconds().value_or(-1.0);

    if (outsideScanRange(scan.scanNumber, parameters)) {
        scan.rejected = true;
        return;
    }

    if (scan.msLevel >= 2) {
        std::vector<double> precursors;
        std::int32_t precursorCount = 0;
        spectrum.getPrecursor(precursors, precursorCount);
        if (precursorCount < 1) {
            scan.rejected = true;
            return;
        }
        scan.selectedParentMz = precursors.front();
        scan.parentMz = precursors.front();
        scan.charge = 0;
        scan.chargePending = true;
        scan.numMergedScans = 1;
    }

    std::vector<double> mz;
    std::vector<double> intensity;
    std::int32_t count = 0;
    spectrum.getData(0, mz, intensity, count);
    scan.numPeaks = count;
    if (count < 1) {
        scan.rejected = true;
        return;
    }
    SpectrumPoints peaks;
    reserveChecked(peaks, static_cast<std::size_t>(count), "readVelmoraDataIntoMemory");
    for (std::size_t j = 0; j < static_cast<std::size_t>(count); ++j) peaks.push_back({mz[j], intensity[j]});
    scan.peaks = std::move(peaks);
}

// A spectrum read on either core; what reading it threw is thrown again
// when its turn comes, so that the run stops where one pass would stop.
struct SpectrumRead {
    MSscan scan;
    std::exception_ptr failure;
};

// How far reading came: a run that fails part way goes on with the spectra
// read before the failure, and the page says so.
struct ReadProgress {
    std::int32_t count = 0;
    std::int32_t read = 0;
};

// Decoding is most of the time of reading a run, so both cores read
// spectra; the records and the reject rows still go in scan order.
bool readSpectra(const MSSpectrumCollection& spectra, RunTable& run, const ExtractionContext& context,
                 ReadProgress& progress) {
    const ExtractorParameters& parameters = context.parameters;
    bool anyMSscan = false;
    computeOnTwoCoresConsumeInOrder<SpectrumRead>(
        progress.count,
        [&](std::int32_t i) {
            SpectrumRead read;
            try {
                readSpectrum(spectra.getItem(i + 1), read.scan, i, parameters);
            } catch (...) {
                read.failure = std::current_exception();
            }
            return read;
        },
        [&](std::int32_t i, SpectrumRead read) {
            MSscan& scan = run[i];
            scan = std::move(read.scan);
            if (read.failure) std::rethrow_exception(read.failure);
            if (outsideScanRange(scan.scanNumber, parameters)) {
                context.getRejectReasonsStream().print("\n%s.%d\t0\tscan #: %d outside range %d - %d",
                                                       context.runName.c_str(), scan.scanNumber, scan.scanNumber,
                                                       parameters.firstScan, parameters.lastScan);
            }
            if (scan.msLevel == 1) anyMSscan = true;
            progress.read = i + 1;
        });
    return anyMSscan;
}

// Names, parameters and error descriptions come from the data file and its
// path: text, after the program's own markup.
void printRunIdentity(const MSAnalysis& analysis) {
    const double date = analysis.getAcquisitionDate();
    printLine(PageHtml::markup("<BR>") + PageHtml("Analysis Name = " + analysis.getAnalysisName()));
    printLine(PageHtml::markup("<BR>") + PageHtml("Operator Name = " + analysis.getOperatorName()));
    printLine(PageHtml::markup("<BR>") + PageHtml("Analysis Date and Time = " + formatAcquisitionDate(date)));
    printLine(PageHtml::markup("<BR>") + PageHtml("Sample Name = " + analysis.getSampleName()));
    printLine(PageHtml::markup("<BR>") + PageHtml("Method Name = " + analysis.getMethodName()));
}

void printFirstSpectrumParameters(const MSSpectrumCollection& spectra) {
    printLine(PageHtml::markup("<BR>Parameters:"));
    printLine(PageHtml::markup("<BR>GroupName\tParameter Name\tParameter Value"));
    const MSParameterCollection parameters = spectra.getItem(1).getParameters();
    const std::int32_t count = parameters.getCount();
    for (std::int32_t j = 1; j <= count; ++j) {
        const ComVariant index(j);
        const std::string group = parameters.getItem(index).getGroupName();
        const std::string name = parameters.getItem(index).getName();
        const std::string value = parameterValueText(parameters.getItem(index).getValue());
        printLine(PageHtml::markup("<BR>") + PageHtml(group + "\t\t" + name + "\t" + value));
    }
}

int readRun(const std::string& runPath, RunTable& run, const ExtractionContext& context, ReadProgress& progress) {
    MSAnalysis analysis;
    const HRESULT opened = analysis.Open(runPath);
    if (FAILED(opened)) {
        printLine(PageHtml::markup("<BR>Error opening analysis file."));
        printLine(PageHtml::markup(formatText("<BR>MSAnalysis.Open() returned following HRESULT:<BR>%d", opened)));
        printLine(PageHtml::markup("<BR>") + PageHtml(analysis.openFailureDescription()));
        return 1;
    }

    const MSSpectrumCollection spectra = analysis.getSpectra();
    progress.count = spectra.getCount();
    allocateMSscanMemory(run, progress.count);
    printLine(PageHtml::markup("<BR>-----------------"));
    printLine(PageHtml::markup(formatText("<BR>Number of spectra:%d", progress.count)));

    const bool anyMSscan = readSpectra(spectra, run, context, progress);

    printRunIdentity(analysis);
    writeRunInfo(analysis.getAnalysisName(), analysis.getSampleName(), analysis.getAcquisitionDate(),
                 context.getRunStatsStream());
    printFirstSpectrumParameters(spectra);
    printLine(PageHtml::markup("<BR>-----------------"));
    reportExportWarnings(analysis.getWarnings(), context.getRunStatsStream());

    if (!anyMSscan) run.noMSscans = true;
    return 0;
}

}  // namespace

int readVelmoraDataIntoMemory(const std::string& runPath, RunTable& run, const ExtractionContext& context) {
    ReadProgress progress;
    try {
        return readRun(runPath, run, context, progress);
    } catch (const ComError& error) {
        printLine(PageHtml("Error: " + error.description()));
    } catch (...) {
        printLine(PageHtml("A non-COM exception has been thrown"));
    }
    if (progress.read > 0 && progress.read < progress.count) {
        printLine(PageHtml::markup("<BR>") +
                  PageHtml(formatText("The run goes on with the %d of its %d spectra read before this error: its peak "
                                      "lists and logs cover only those.",
                                      progress.read, progress.count)));
    }
    return 1;
}

void writeRunInfo(const std::string& analysisName, const std::string& sampleName, double acquisitionDate,
                  LogSink& runStats) {
    runStats.print("FileName\t%s\n", analysisName.c_str());
    runStats.print("SampleName\t%s\n", sampleName.c_str());
    runStats.print("AnalysisDateTime\t%s\n", formatAcquisitionDate(acquisitionDate).c_str());
}
