#include "yepharvest/run_reader.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <variant>

#include "core/extractor/export_warnings.h"
#include "core/util/checked_memory.h"
#include "core/util/format_text.h"
#include "core/util/html_page.h"
#include "core/util/two_cores.h"
#include "platform/com/com_runtime.h"
#include "platform/msanalysis/acquisition_date.h"
#include "platform/msanalysis/ms_analysis.h"
#include "platform/openformat/export_source.h"

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

}  // namespace

struct RunReading::Open {
    MSAnalysis analysis;
    std::optional<MSSpectrumCollection> spectra;
};

PeakListSource RunReading::source() const {
    if (!open_) return {};
    // Record i holds spectrum i of the export, scan number i + 1.
    return exportSource(open_->analysis.openedExport(), [](std::int32_t scanNumber) -> std::optional<std::size_t> {
        if (scanNumber < 1) return std::nullopt;
        return static_cast<std::size_t>(scanNumber - 1);
    });
}

template <class Step>
void RunReading::guarded(Step step) {
    if (failed_) return;
    try {
        step();
        return;
    } catch (const ComError& error) {
        printLine(PageHtml("Error: " + error.description()));
        failure_ = error.description();
    } catch (...) {
        failure_ = "A non-COM exception has been thrown";
        printLine(PageHtml(failure_));
    }
    const std::int32_t count = run_.size();
    if (frontier_ > 0 && frontier_ < count) {
        printLine(PageHtml::markup("<BR>") +
                  PageHtml(formatText("The run goes on with the %d of its %d spectra read before this error: its peak "
                                      "lists and logs cover only those.",
                                      frontier_, count)));
    }
    failed_ = true;
    frontier_ = count;
    // A run that failed is reported as one with survey scans, as it always was.
    run_.noMSscans = false;
}

RunReading::RunReading(const std::string& runPath, RunTable& run, const ExtractionContext& context)
    : run_(run), context_(context), open_(std::make_unique<Open>()) {
    guarded([&] {
        MSAnalysis& analysis = open_->analysis;
        const HRESULT opened = analysis.Open(runPath);
        if (FAILED(opened)) {
            printLine(PageHtml::markup("<BR>Error opening analysis file."));
            printLine(PageHtml::markup(formatText("<BR>MSAnalysis.Open() returned following HRESULT:<BR>%d", opened)));
            printLine(PageHtml::markup("<BR>") + PageHtml(analysis.openFailureDescription()));
            failure_ = analysis.openFailureDescription().empty() ? std::string("Error opening analysis file.")
                                                                 : analysis.openFailureDescription();
            failed_ = true;
            return;
        }
        const MSSpectrumCollection& spectra = open_->spectra.emplace(analysis.getSpectra());
        const std::int32_t count = spectra.getCount();
        allocateMSscanMemory(run_, count);
        printLine(PageHtml::markup("<BR>-----------------"));
        printLine(PageHtml::markup(formatText("<BR>Number of spectra:%d", count)));
    });
}

RunReading::~RunReading() = default;

std::int32_t RunReading::frontier() const { return frontier_; }

bool RunReading::done() const { return frontier_ >= run_.size(); }

// Decoding is most of the time of reading a run, so both cores read
// spectra; the records and the reject rows still go in scan order.
void RunReading::readUpTo(std::int32_t end) {
    guarded([&] {
        const ExtractorParameters& parameters = context_.parameters;
        const MSSpectrumCollection& spectra = *open_->spectra;
        const std::int32_t first = frontier_;
        end = std::min(end, run_.size());
        computeOnTwoCoresConsumeInOrder<SpectrumRead>(
            first, end,
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
                MSscan& scan = run_[i];
                scan = std::move(read.scan);
                if (read.failure) std::rethrow_exception(read.failure);
                if (outsideScanRange(scan.scanNumber, parameters)) {
                    context_.getRejectReasonsStream().print("\n%s.%d\t0\tscan #: %d outside range %d - %d",
                                                            context_.runName.c_str(), scan.scanNumber, scan.scanNumber,
                                                            parameters.firstScan, parameters.lastScan);
                }
                if (scan.msLevel == 1) anyMSscan_ = true;
                frontier_ = i + 1;
            });
        // Known once the last spectrum is read, before the stages' last
        // stretch: those over survey scans skip the run from then on.
        if (frontier_ == run_.size() && !anyMSscan_) run_.noMSscans = true;
    });
}

int RunReading::finish() {
    guarded([&] {
        const MSAnalysis& analysis = open_->analysis;
        printRunIdentity(analysis);
        writeRunInfo(analysis.getAnalysisName(), analysis.getSampleName(), analysis.getAcquisitionDate(),
                     context_.getRunStatsStream());
        printFirstSpectrumParameters(*open_->spectra);
        printLine(PageHtml::markup("<BR>-----------------"));
        reportExportWarnings(analysis.getWarnings(), context_.getRunStatsStream());
        if (!anyMSscan_) run_.noMSscans = true;  // a run of no spectrum, never read
    });
    open_.reset();
    return failed_ ? 1 : 0;
}

void writeRunInfo(const std::string& analysisName, const std::string& sampleName, double acquisitionDate,
                  LogSink& runStats) {
    runStats.print("FileName\t%s\n", analysisName.c_str());
    runStats.print("SampleName\t%s\n", sampleName.c_str());
    runStats.print("AnalysisDateTime\t%s\n", formatAcquisitionDate(acquisitionDate).c_str());
}
