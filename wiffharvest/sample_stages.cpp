#include "wiffharvest/sample_stages.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "core/extractor/shared_stages.h"
#include "wiffharvest/filter_and_merge.h"
#include "wiffharvest/isotope_spacing_charges.h"
#include "wiffharvest/run_counts.h"
#include "wiffharvest/spectral_files.h"

namespace {

// The stages in their order, the reading first. Until the whole sample is
// read, every row waits (the reading declares every log): a sample that
// cannot be read leaves none.
enum Stage : std::size_t { reading, isotopeCharges, merging, filtering, precursorTICs, files, statistics };

void printCount(std::int32_t count) { std::printf("<BR>numNonRejectedMSMSspectra: %d", count); }

}  // namespace

struct SampleStages::State {
    State(ScanTable& scans, std::int32_t sampleIndex, const ExtractionContext& runContext,
          const SciexInstrument& sciex, PeakListSource sampleSource)
        : table(scans), sample(sampleIndex), context(runContext), instrument(sciex), source(std::move(sampleSource)),
          surveys(precursorTICsReach(runContext.parameters)), pipeline(runContext, stages()) {}

    // An MS/MS spectrum's peaks are read until it is merged, then, while it
    // may still be written, by the filters (which keep a written one's m/z
    // and intensities) and the file; a survey scan's by the records around it.
    std::vector<PipelineStage> stages() {
        const ExtractorParameters& parameters = context.parameters;
        using Context = const ExtractionContext&;
        // Every line but the isotope charges' is followed by the spectra left
        // once its stage has run: only reading and merging leave more than
        // filtering does.
        const auto left = [this] { printCount(countNonRejectedMSMSspectra(table, table.size())); };
        return {
            {.name = "reading",
             .logs = everyLog,
             .run = [this](std::int32_t first, std::int32_t end,
                           Context) { leftAfterReading += countNonRejectedMSMSspectra(table, first, end); },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (table[i].msLevel == 1) surveys.add(i);
                     }
                 },
             .progress =
                 [this] {
                     std::printf("<BR>Spectra read into memory # spectra: %d\n", table.size());
                     printCount(leftAfterReading);
                 }},
            {.name = "isotopeCharges",
             .reads = {{reading}},
             .logs = chargeCheckLog,
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     if (isotopeSpacingCharges()) assignChargesFromIsotopeSpacing(table, first, end, c);
                 },
             .progress =
                 [this] {
                     if (isotopeSpacingCharges()) std::printf("<BR>Precursor charges assigned based on isotope spacing.\n");
                 }},
            mergingStage(
                isotopeCharges, parameters,
                [this](std::int32_t first, std::int32_t end, Context c) {
                    rejectOutOfRangeAndMerge(table, first, end, c, instrument);
                    leftAfterMerging += countNonRejectedMSMSspectra(table, first, end);
                },
                [this](std::int32_t first, std::int32_t end) {
                    for (std::int32_t i = first; i < end; ++i) {
                        if (table[i].msLevel != 1 && table[i].rejected) PeakList().swap(table[i].fragmentPeaks);
                    }
                },
                [this] {
                    std::printf("<BR>Merging done: \n");
                    printCount(leftAfterMerging);
                }),
            {.name = "filtering",
             .reads = {{merging}},
             .logs = rejectReasonsLog,
             .run = [this](std::int32_t first, std::int32_t end,
                           Context c) { filterMergedSpectra(table, first, end, c); },
             .progress =
                 [left] {
                     std::printf("<BR>Nearby MS/MS spectra with same precursor merged and filtered\n");
                     left();
                 }},
            // The survey scans it reads are range-checked by the merging walk.
            precursorTICsStage(table, filtering, merging, surveys, parameters, left),
            spectralFilesStage(table, {{precursorTICs}, {reading, kWholeTable}},
                               {.output = [this] { return sciexPeakListOutput(sample, context, instrument, source); },
                                .write =
                                    [this](std::int32_t first, std::int32_t end, PeakListWriting& writing) {
                                        processSciexDDErun(table, first, end, sample, writing);
                                    }},
                               left),
            statisticsStage(
                files, [this] { return countRunStatistics(table, table.size()); }, context, "\n", left),
        };
    }

    bool isotopeSpacingCharges() const { return instrument.chargesFromIsotopeSpacing() && !table.noMSscans; }

    ScanTable& table;
    std::int32_t sample;
    const ExtractionContext& context;
    const SciexInstrument& instrument;
    PeakListSource source;
    SurveyScansInReach surveys;
    // Spectra left to be written after reading and after merging, as the
    // page reports them once each stage has run over the whole sample.
    std::int32_t leftAfterReading = 0;
    std::int32_t leftAfterMerging = 0;
    StagePipeline pipeline;  // last: its stages use the members above
};

SampleStages::SampleStages(ScanTable& table, std::int32_t sample, const ExtractionContext& context,
                           const SciexInstrument& instrument, PeakListSource source)
    : table_(table), state_(std::make_unique<State>(table, sample, context, instrument, std::move(source))) {}

SampleStages::~SampleStages() = default;

void SampleStages::advance(std::int32_t read) {
    const std::int32_t count = table_.size();
    state_->pipeline.advance(read, read >= count, count);
}

void SampleStages::finish() { state_->pipeline.finish(table_.size()); }
