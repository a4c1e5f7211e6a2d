#include "wiffharvest/sample_stages.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/extractor/merge_windows.h"
#include "core/extractor/peak_list_output.h"
#include "core/extractor/precursor_tics.h"
#include "core/extractor/run_statistics.h"
#include "core/extractor/staged_logs.h"
#include "core/extractor/survey_scans.h"
#include "wiffharvest/filter_and_merge.h"
#include "wiffharvest/isotope_spacing_charges.h"
#include "wiffharvest/run_counts.h"
#include "wiffharvest/spectral_files.h"

namespace {

// The stages in their order, the reading first. Until the whole sample is
// read, every row waits: a sample that cannot be read leaves none.
enum Stage : std::size_t { reading, isotopeCharges, merging, filtering, precursorTICs, files };

const std::vector<unsigned> kStageLogs = {
    everyLog,          // reading
    chargeCheckLog,    // isotopeCharges
    rejectReasonsLog,  // merging
    rejectReasonsLog,  // filtering
    0,                 // precursorTICs
    specFeaturesLog,   // files
};

void printCount(std::int32_t count) { std::printf("<BR>numNonRejectedMSMSspectra: %d", count); }

}  // namespace

// Each stage has run over the records before its frontier.
struct SampleStages::Frontiers {
    std::int32_t read = 0;
    std::int32_t isotopeCharged = 0;
    std::int32_t merged = 0;
    std::int32_t filtered = 0;
    std::int32_t precursorTICs = 0;
    std::int32_t written = 0;
};

struct SampleStages::State {
    explicit State(const ExtractionContext& context)
        : logs(context, kStageLogs), surveys(std::max(context.parameters.groupScans, 0)) {}

    StagedLogs logs;
    Frontiers at;
    SurveyScansInReach surveys;
    // Spectra left to be written after reading and after merging, as the
    // page reports them once each stage has run over the whole sample.
    std::int32_t leftAfterReading = 0;
    std::int32_t leftAfterMerging = 0;
    std::optional<PeakListWriting> writing;
};

SampleStages::SampleStages(ScanTable& table, std::int32_t sample, const ExtractionContext& context,
                           const SciexInstrument& instrument)
    : table_(table), sample_(sample), context_(context), instrument_(instrument),
      state_(std::make_unique<State>(context)) {}

SampleStages::~SampleStages() = default;

void SampleStages::advance(std::int32_t read) {
    State& s = *state_;
    Frontiers& at = s.at;
    const Frontiers before = at;
    const std::int32_t count = table_.size();
    const ExtractorParameters& parameters = context_.parameters;
    const bool surveyScans = !table_.noMSscans;

    s.leftAfterReading += countNonRejectedMSMSspectra(table_, at.read, read);
    at.read = read;
    if (at.read >= count) s.logs.complete(reading);
    if (instrument_.chargesFromIsotopeSpacing() && surveyScans) {
        assignChargesFromIsotopeSpacing(table_, at.isotopeCharged, at.read, s.logs.context(isotopeCharges));
    }
    at.isotopeCharged = at.read;
    const std::int32_t mergeTo = std::max(at.merged, frontierBehind(at.isotopeCharged, windowReach(parameters), count));
    rejectOutOfRangeAndMerge(table_, at.merged, mergeTo, s.logs.context(merging), instrument_);
    s.leftAfterMerging += countNonRejectedMSMSspectra(table_, at.merged, mergeTo);
    at.merged = mergeTo;
    filterMergedSpectra(table_, at.filtered, at.merged, s.logs.context(filtering));
    at.filtered = at.merged;
    // The survey scans within groupScans of a record, on both sides, are
    // range-checked by the merging walk.
    const std::int32_t ticsReach = std::max(parameters.groupScans, 0);
    const std::int32_t ticsTo =
        std::max(at.precursorTICs, std::min(at.filtered, frontierBehind(at.merged, ticsReach, count)));
    if (surveyScans) calculatePrecursorTICs(table_.records, at.precursorTICs, ticsTo, s.logs.context(precursorTICs));
    at.precursorTICs = ticsTo;
    if (at.read >= count) {
        if (!s.writing) s.writing.emplace(sciexPeakListOutput(sample_, context_, instrument_), s.logs.context(files));
        processSciexDDErun(table_, at.written, at.precursorTICs, sample_, *s.writing);
        at.written = at.precursorTICs;
    }

    if (at.isotopeCharged >= count) s.logs.complete(isotopeCharges);
    if (at.merged >= count) s.logs.complete(merging);
    if (at.filtered >= count) s.logs.complete(filtering);
    if (at.written >= count) s.logs.complete(files);
    s.logs.pass();
    releasePeaks(before);
}

// An MS/MS spectrum's peaks are read until it is merged, then, while it may
// still be written, by the filters (which keep a written one's m/z and
// intensities) and the file; a survey scan's by the records around it.
void SampleStages::releasePeaks(const Frontiers& before) {
    State& s = *state_;
    const Frontiers& at = s.at;
    for (std::int32_t i = before.merged; i < at.merged; ++i) {
        SciexMSscan& scan = table_.records[static_cast<std::size_t>(i)];
        if (scan.msLevel != 1 && scan.rejected) PeakList().swap(scan.fragmentPeaks);
    }
    for (std::int32_t i = before.written; i < at.written; ++i) {
        SciexMSscan& scan = table_.records[static_cast<std::size_t>(i)];
        if (scan.msLevel != 1) SpectrumPoints().swap(scan.peaks);
    }
    for (std::int32_t i = before.read; i < at.read; ++i) {
        if (table_.records[static_cast<std::size_t>(i)].msLevel == 1) s.surveys.add(i);
    }
    s.surveys.releaseUnreachable(at.precursorTICs, [&](std::int32_t k) {
        SpectrumPoints().swap(table_.records[static_cast<std::size_t>(k)].peaks);
    });
}

void SampleStages::finish() {
    advance(table_.size());
    State& s = *state_;
    const std::int32_t n = table_.size();
    std::printf("<BR>Spectra read into memory # spectra: %d\n", n);
    printCount(s.leftAfterReading);
    if (instrument_.chargesFromIsotopeSpacing() && !table_.noMSscans) {
        std::printf("<BR>Precursor charges assigned based on isotope spacing.\n");
    }
    std::printf("<BR>Merging done: \n");
    printCount(s.leftAfterMerging);
    const std::int32_t left = countNonRejectedMSMSspectra(table_, n);
    std::printf("<BR>Nearby MS/MS spectra with same precursor merged and filtered\n");
    printCount(left);
    if (!table_.noMSscans) {
        std::printf("<BR>Calculated precursor TICs in intervening MS scans.\n");
        printCount(left);
    }
    s.writing->finish();
    std::printf("<BR>Created spectral files.\n");
    printCount(left);
    writeRunStatistics(countRunStatistics(table_, n), context_.parameters.maxCharge, context_.getRunStatsStream());
    std::printf("<BR>Run statistics calculated and output.\n");
    printCount(left);
}
