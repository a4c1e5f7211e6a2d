#include "wiffharvest/wiff_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <vector>

#include "core/extractor/export_warnings.h"
#include "core/peaks/centroiding.h"
#include "core/util/checked_memory.h"
#include "core/util/html_page.h"
#include "core/util/two_cores.h"
#include "platform/analyst/experiment_trace.h"
#include "platform/analyst/spectrum_data.h"
#include "platform/analyst/wiff_application.h"
#include "platform/com/com_runtime.h"
#include "platform/openformat/export_source.h"
#include "wiffharvest/scan_types.h"
#include "wiffharvest/spectrum_label.h"

namespace {

// An MS/MS scan whose trace stays below this in a cycle was not taken.
constexpr double kTakenSignal = 0.1;
constexpr float kScanTimeScale = 0.16666667F;
constexpr double kCentroidHeightPercent = 50.0;

// The skipped-scan accounting of one period. Cycle numbers are labels: an
// excerpt or an MS/MS-only export may name cycle 1,000,000 among a few
// hundred spectra. Only the cycles that hold spectra are walked; every other
// cycle before the last has all its MS/MS scans skipped, and is counted so.
struct PeriodSkips {
    std::vector<std::int32_t> cycles;  // the cycles read: those with spectra, the last cycle left out
    std::vector<bool> dropped;         // per cycle read: had a survey scan and no MS/MS taken
    std::vector<std::int32_t> takenPerExperiment;
    std::vector<std::int64_t> skippedHistogram;  // cycles by the number of MS/MS scans skipped in them
    std::int64_t numSkippedMSMSscans = 0;
    std::int64_t numMSscansWithAllMSMSscansSkippedInCycle = 0;
};

// Each pair goes to the browser first, then to runStats.txt.
void report(LogSink& runStats, const std::string& page, const std::string& stats) {
    std::fputs(page.c_str(), stdout);
    runStats.write(stats);
}

// Counts as the statistics print them; a count beyond them is no count.
int printed(std::int64_t count) { return static_cast<int>(std::min<std::int64_t>(count, INT32_MAX)); }

PeriodSkips countSkippedScans(const PeriodInfo& period, const std::vector<ExperimentTrace>& traces,
                              std::int32_t nExperiments, std::int32_t nCycles, std::vector<std::int32_t> withSpectra) {
    PeriodSkips skips;
    const std::size_t experiments = static_cast<std::size_t>(std::max(nExperiments, 0));
    skips.takenPerExperiment.assign(experiments, 0);
    skips.skippedHistogram.assign(experiments + 1, 0);
    bool surveyed = false;
    std::vector<std::int32_t> msms;
    for (std::int32_t j = 0; j < nExperiments; ++j) {
        const ScanClass scanClass = classifyScanType(period.experimentInfo(j).scanType());
        if (scanClass.isSurveyScan) surveyed = true;
        if (scanClass.msLevel == 2) msms.push_back(j);
    }
    std::erase_if(withSpectra, [&](std::int32_t c) { return c < 0 || c + 1 >= nCycles; });
    skips.cycles = std::move(withSpectra);
    skips.dropped.assign(skips.cycles.size(), false);
    for (std::size_t k = 0; k < skips.cycles.size(); ++k) {
        const std::int32_t c = skips.cycles[k];
        std::int32_t skipped = 0;
        std::int32_t taken = 0;
        for (const std::int32_t j : msms) {
            if (traces[static_cast<std::size_t>(j)].yValue(c + 1) < kTakenSignal) {
                ++skipped;
            } else {
                ++taken;
                ++skips.takenPerExperiment[static_cast<std::size_t>(j)];
            }
        }
        skips.numSkippedMSMSscans += skipped;
        skips.skippedHistogram[static_cast<std::size_t>(skipped)] += 1;
        if (surveyed && taken == 0) {
            skips.numMSscansWithAllMSMSscansSkippedInCycle += 1;
            skips.dropped[k] = true;
        }
    }
    const std::int64_t empty = std::int64_t{std::max(nCycles - 1, 0)} - static_cast<std::int64_t>(skips.cycles.size());
    skips.numSkippedMSMSscans += empty * static_cast<std::int64_t>(msms.size());
    skips.skippedHistogram[msms.size()] += empty;
    if (surveyed) skips.numMSscansWithAllMSMSscansSkippedInCycle += empty;
    return skips;
}

void reportSkippedScans(const PeriodSkips& skips, std::int32_t nExperiments, LogSink& runStats) {
    char page[256];
    char stats[256];
    std::snprintf(page, sizeof page, "<BR>numSkippedMSMSscans: %d numMSscansWithAllMSMSscansSkippedInCycle: %d\n",
                  printed(skips.numSkippedMSMSscans), printed(skips.numMSscansWithAllMSMSscansSkippedInCycle));
    std::snprintf(stats, sizeof stats, "numSkippedMSMSscans\t%d\nnumMSscansWithAllMSMSscansSkippedInCycle\t%d\n",
                  printed(skips.numSkippedMSMSscans), printed(skips.numMSscansWithAllMSMSscansSkippedInCycle));
    report(runStats, page, stats);
    for (std::int32_t j = 0; j < nExperiments; ++j) {
        const std::int32_t taken = skips.takenPerExperiment[static_cast<std::size_t>(j)];
        std::snprintf(page, sizeof page, "<BR>MSMS scansTakenInExperiment %d: %d\n", j, taken);
        std::snprintf(stats, sizeof stats, "MSMSscansTakenInExperiment %d\t%d\n", j, taken);
        report(runStats, page, stats);
    }
    for (std::int32_t k = 0; k < nExperiments; ++k) {
        const int cycles = printed(skips.skippedHistogram[static_cast<std::size_t>(k)]);
        std::snprintf(page, sizeof page, "<BR>experimentsSkippedPerCycle %d: %d\n", k, cycles);
        std::snprintf(stats, sizeof stats, "experimentsSkippedPerCycle %d\t%d\n", k, cycles);
        report(runStats, page, stats);
    }
}

PeakList dataPointPeaks(const SpectrumData& spectrum, std::int32_t count) {
    PeakList peaks;
    reserveChecked(peaks, static_cast<std::size_t>(count), "processSciexDDErun");
    for (std::int32_t k = 1; k <= count; ++k) peaks.push_back(makeFragmentPeak(spectrum.xValue(k), spectrum.yValue(k)));
    return peaks;
}

// Fills record `r` from the spectrum of that experiment at that cycle time,
// writing nowhere else, so that two threads can read spectra at once.
// `spectrum` is this reader's own.
void readSpectrum(SciexMSscan& r, SpectrumData& spectrum, std::int32_t sample, std::int32_t period,
                  std::int32_t experiment, float cycleTime, const SciexInstrument& instrument, double width) {
    spectrum.selectSpectrum(sample, period, experiment, cycleTime, cycleTime);
    r.rawPointCount = spectrum.numberOfDataPoints();
    if (r.rawPointCount <= 1) {
        r.rejected = true;
        return;
    }
    PeakList points = dataPointPeaks(spectrum, r.rawPointCount);
    if (r.msLevel == 2) {
        parseSpectrumLabel(spectrum.description(), r, instrument.isMALDI);
        r.fragmentPeaks = centroidByPeakWidthAndHeightPercentage(std::move(points), width, kCentroidHeightPercent);
        // A centroided list keeps the capacity of the profile it came from;
        // the table may hold many, so it gives that back.
        r.fragmentPeaks.shrink_to_fit();
        r.numPeaks = static_cast<std::int32_t>(r.fragmentPeaks.size());
        r.lastScanNumber = r.scanNumber;
        r.mergedAway = false;
        r.rejected = false;
        return;
    }
    r.peaks = toSpectrumPoints(instrument.centroids()
                                   ? centroidByPeakWidthAndHeightPercentage(std::move(points), width, kCentroidHeightPercent)
                                   : std::move(points));
    r.numPeaks = static_cast<std::int32_t>(r.peaks.size());
}

}  // namespace

// Which scans of a period are kept, and in which records, follows from its
// traces alone: every record is laid out, and the skipped-scan report made,
// before any spectrum is read.
void SampleReading::layOutPeriod(const WiffFileData& file, std::int32_t p, std::int32_t& index) {
    const std::int32_t s = sample_;
    const std::int32_t nExperiments = file.numberOfExperiments(s, p);
    const std::int32_t nCycles = file.numberOfCycles(s, p);
    const PeriodInfo period = file.periodInfo(s, p);
    std::vector<ExperimentTrace> traces(static_cast<std::size_t>(std::max(nExperiments, 0)));
    for (std::int32_t j = 0; j < nExperiments; ++j) {
        ExperimentTrace& trace = traces[static_cast<std::size_t>(j)];
        trace.setWiffFileName(path_);
        trace.selectExperiment(s, p, j);
    }
    const PeriodSkips skips = countSkippedScans(period, traces, nExperiments, nCycles, file.cyclesWithSpectra(s, p));
    reportSkippedScans(skips, nExperiments, context_.getRunStatsStream());

    std::vector<SciexMSscan>& records = table_.records;
    for (std::size_t k = 0; k < skips.cycles.size(); ++k) {
        if (skips.dropped[k]) continue;
        const std::int32_t c = skips.cycles[k];
        for (std::int32_t j = 0; j < nExperiments; ++j) {
            // The table grows with the scans kept, which the spectra present
            // bound; cycles times experiments may be far more.
            if (records.size() == static_cast<std::size_t>(index)) {
                if (records.size() == records.capacity()) {
                    reserveChecked(records, std::max<std::size_t>(64, 2 * records.size()), "allocateMSscanMemory");
                }
                records.emplace_back();
            }
            SciexMSscan& r = records[static_cast<std::size_t>(index)];
            r.scanType = period.experimentInfo(j).scanType();
            if (r.scanType == 12) continue;
            if (traces[static_cast<std::size_t>(j)].yValue(c + 1) < kTakenSignal) continue;
            r.scanNumber = index + 1;
            const ScanClass scanClass = classifyScanType(r.scanType);
            r.msLevel = scanClass.msLevel;
            r.isSurveyScan = scanClass.isSurveyScan;
            if (r.msLevel == 1) sawLevel1_ = true;
            r.scanTime = file.cycleTime(s, p, j, c);
            r.cycleTime = r.scanTime;
            // Other scan types are counted but not kept: the slot is reused.
            if (r.msLevel != 2 && !r.isSurveyScan) continue;
            toRead_.push_back({p, j, r.scanTime});
            r.scanTime = r.scanTime * kScanTimeScale;
            ++index;
        }
    }
}

SampleReading::SampleReading(const std::string& path, std::int32_t sample, ScanTable& table,
                             const ExtractionContext& context, const SciexInstrument& instrument)
    : path_(path), sample_(sample), table_(table), context_(context), instrument_(instrument),
      width_(context.picking.peakBinningTolerance) {
    const WiffApplication application;
    const WiffFileData file = application.openWiff(path, sample);
    context.getRunStatsStream().print("sampleName: %s\tsampleIndex: %d\n", file.sampleName(sample).c_str(), sample);
    reader_.setWiffFileName(path);

    const std::int32_t nPeriods = file.numberOfPeriods(sample);
    // A line of its own: rows of this log begin with their line break.
    context.getParentChargeCheckStream().print("\nnumActualPeriods: %d", nPeriods);

    // The last cycle of every period is never read.
    std::int64_t total = 0;
    std::int32_t lastCycles = 0;
    std::int32_t lastExperiments = 0;
    for (std::int32_t p = 0; p < nPeriods; ++p) {
        lastCycles = file.numberOfCycles(sample, p);
        lastExperiments = file.numberOfExperiments(sample, p);
        total += std::int64_t{std::max(lastCycles - 1, 0)} * std::max(lastExperiments, 0);
    }
    table = ScanTable{};
    std::printf("<BR>Alloted memory for # spectra: %lld (includes skipped scans)<BR>numActualCycles: %d "
                "numExperiments/cycle: %d\n",
                static_cast<long long>(total), lastCycles, lastExperiments);

    std::int32_t index = 0;
    for (std::int32_t p = 0; p < nPeriods; ++p) layOutPeriod(file, p, index);
    table.records.resize(static_cast<std::size_t>(index));
    if (!sawLevel1_) table.noMSscans = true;
}

std::int32_t SampleReading::count() const { return table_.size(); }

PeakListSource SampleReading::source() const {
    const WiffFileData file = WiffApplication().openWiff(path_, sample_);
    // Record i, scan number i + 1, holds the spectrum its reading selects.
    return exportSource(file.sampleExport(sample_),
                        [file, sample = sample_, toRead = toRead_](std::int32_t scanNumber) -> std::optional<std::size_t> {
                            if (scanNumber < 1 || static_cast<std::size_t>(scanNumber) > toRead.size()) return std::nullopt;
                            const SpectrumToRead& wanted = toRead[static_cast<std::size_t>(scanNumber - 1)];
                            try {
                                return file.exportIndex(sample, wanted.period, wanted.experiment, wanted.cycleTime);
                            } catch (const ComError&) {
                                return std::nullopt;
                            }
                        });
}

std::int32_t SampleReading::frontier() const { return frontier_; }

bool SampleReading::done() const { return frontier_ >= count(); }

// Decoding is most of the time of reading, so both cores read spectra; what
// reading one threw is thrown again when its turn comes, so that the sample
// stops where one pass would stop.
void SampleReading::readUpTo(std::int32_t end) {
    end = std::min(end, count());
    computeOnTwoCoresConsumeInOrder<std::exception_ptr>(
        frontier_, end,
        [&](std::int32_t k) -> std::exception_ptr {
            try {
                SpectrumData spectrum = reader_;
                const SpectrumToRead& wanted = toRead_[static_cast<std::size_t>(k)];
                readSpectrum(table_[k], spectrum, sample_, wanted.period,
                             wanted.experiment, wanted.cycleTime, instrument_, width_);
                return nullptr;
            } catch (...) {
                return std::current_exception();
            }
        },
        [&](std::int32_t k, std::exception_ptr failure) {
            if (failure) std::rethrow_exception(failure);
            frontier_ = k + 1;
        });
}

std::int32_t openWiffFile(const std::string& path, const ExtractionContext& context, SciexInstrument& instrument) {
    const WiffApplication application;
    LogSink& runStats = context.getRunStatsStream();
    const WiffFileData file = [&] {
        try {
            return application.openWiff(path, 1);
        } catch (const ComError&) {
            // An export passed over may be why a sample is missing.
            reportExportWarnings(application.exportsNotRead(path), runStats);
            throw;
        }
    }();
    const std::int32_t samples = file.numberOfSamples();
    runStats.print("\nfilePath: %s\n\n", path.c_str());
    for (std::int32_t s = 1; s <= samples; ++s) {
        runStats.print("sampleName: %s\tsampleIndex: %d\n", file.sampleName(s).c_str(), s);
    }
    reportExportWarnings(file.exportWarnings(), runStats);
    instrument.family = file.acquisitionInfo(1).instrumentInfo().family();
    return samples;
}
