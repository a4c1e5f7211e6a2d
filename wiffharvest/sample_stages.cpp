#include "wiffharvest/sample_stages.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "core/extractor/merge_windows.h"
#include "core/extractor/peak_list_output.h"
#include "core/extractor/precursor_tics.h"
#include "core/extractor/run_statistics.h"
#include "core/extractor/stage_pipeline.h"
#include "core/extractor/survey_scans.h"
#include "wiffharvest/filter_and_merge.h"
#include "wiffharvest/isotope_spacing_charges.h"
#include "wiffharvest/run_counts.h"
#include "wiffharvest/spectral_files.h"

namespace {

// The stages in their order, the reading first. Until the whole sample is
// read, every row waits (the reading declares every log): a sample that
// cannot be read leaves none.
enum Stage : std::size_t { reading, isotopeCharges, merging, filtering, precursorTICs, files };

void printCount(std::int32_t count) { std::printf("<BR>numNonRejectedMSMSspectra: %d", count); }

}  // namespace

struct SampleStages::State {
    State(ScanTable& scans, std::int32_t sampleIndex, const ExtractionContext& runContext,
          const SciexInstrument& sciex)
        : table(scans), sample(sampleIndex), context(runContext), instrument(sciex),
          surveys(precursorTICsReach(runContext.parameters)), pipeline(runContext, stages()) {}

    SciexMSscan& record(std::int32_t i) { return table.records[static_cast<std::size_t>(i)]; }

    // An MS/MS spectrum's peaks are read until it is merged, then, while it
    // may still be written, by the filters (which keep a written one's m/z
    // and intensities) and the file; a survey scan's by the records around it.
    std::vector<PipelineStage> stages() {
        const ExtractorParameters& parameters = context.parameters;
        using Context = const ExtractionContext&;
        return {
            {.name = "reading",
             .logs = everyLog,
             .run = [this](std::int32_t first, std::int32_t end,
                           Context) { leftAfterReading += countNonRejectedMSMSspectra(table, first, end); },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (record(i).msLevel == 1) surveys.add(i);
                     }
                 }},
            {.name = "isotopeCharges",
             .reads = {{reading}},
             .logs = chargeCheckLog,
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     if (instrument.chargesFromIsotopeSpacing() && !table.noMSscans) {
                         assignChargesFromIsotopeSpacing(table, first, end, c);
                     }
                 }},
            {.name = "merging",
             .reads = {{isotopeCharges, windowReach(parameters)}},
             .logs = rejectReasonsLog,
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     rejectOutOfRangeAndMerge(table, first, end, c, instrument);
                     leftAfterMerging += countNonRejectedMSMSspectra(table, first, end);
                 },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (record(i).msLevel != 1 && record(i).rejected) PeakList().swap(record(i).fragmentPeaks);
                     }
                 }},
            {.name = "filtering",
             .reads = {{merging}},
             .logs = rejectReasonsLog,
             .run = [this](std::int32_t first, std::int32_t end,
                           Context c) { filterMergedSpectra(table, first, end, c); }},
            // The survey scans it reads are range-checked by the merging walk.
            {.name = "precursorTICs",
             .reads = {{filtering}, {merging, precursorTICsReach(parameters)}},
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     if (!table.noMSscans) calculatePrecursorTICs(table.records, first, end, c);
                 },
             .release =
                 [this](std::int32_t, std::int32_t end) {
                     surveys.releaseUnreachable(end, [&](std::int32_t k) { SpectrumPoints().swap(record(k).peaks); });
                 }},
            {.name = "files",
             .reads = {{precursorTICs}, {reading, kWholeTable}},
             .logs = specFeaturesLog,
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     if (!writing) writing.emplace(sciexPeakListOutput(sample, context, instrument), c);
                     processSciexDDErun(table, first, end, sample, *writing);
                 },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (record(i).msLevel != 1) SpectrumPoints().swap(record(i).peaks);
                     }
                 }},
        };
    }

    ScanTable& table;
    std::int32_t sample;
    const ExtractionContext& context;
    const SciexInstrument& instrument;
    SurveyScansInReach surveys;
    // Spectra left to be written after reading and after merging, as the
    // page reports them once each stage has run over the whole sample.
    std::int32_t leftAfterReading = 0;
    std::int32_t leftAfterMerging = 0;
    std::optional<PeakListWriting> writing;
    StagePipeline pipeline;  // last: its stages use the members above
};

SampleStages::SampleStages(ScanTable& table, std::int32_t sample, const ExtractionContext& context,
                           const SciexInstrument& instrument)
    : table_(table), context_(context), instrument_(instrument),
      state_(std::make_unique<State>(table, sample, context, instrument)) {}

SampleStages::~SampleStages() = default;

void SampleStages::advance(std::int32_t read) {
    const std::int32_t count = table_.size();
    state_->pipeline.advance(read, read >= count, count);
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
