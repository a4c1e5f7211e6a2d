#include "yepharvest/run_stages.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "core/extractor/shared_stages.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_filtering.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"
#include "yepharvest/run_counts.h"
#include "yepharvest/spectral_files.h"
#include "yepharvest/survey_isotope_charges.h"

namespace {

// The stages in their order, the reading first.
enum Stage : std::size_t {
    reading,
    preprocessing,
    merging,
    charges,
    surveyIsotopes,
    filtering,
    precursorTICs,
    files,
    statistics
};

}  // namespace

struct RunStages::State {
    State(RunTable& table, const ExtractionContext& runContext, PeakListSource runSource)
        : run(table), context(runContext), source(std::move(runSource)),
          surveys(precursorTICsReach(runContext.parameters)), pipeline(runContext, stages()) {}

    // A record's own peaks are read by its charge decision, then, while it
    // may still be written, by the filters and the file; a survey scan's by
    // the records around it.
    std::vector<PipelineStage> stages() {
        const ExtractorParameters& parameters = context.parameters;
        using Context = const ExtractionContext&;
        const auto surveyScans = [this] { return !run.noMSscans; };
        return {
            {.name = "reading",
             .logs = rejectReasonsLog | runStatsLog,
             .progress = [] { std::printf("<BR>Data read into memory. \n"); }},
            {.name = "preprocessing",
             .reads = {{reading}},
             .run = [this](std::int32_t first, std::int32_t end,
                           Context c) { preprocessMSscans(run, first, end, c); },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (run[i].msLevel == 1) surveys.add(i);
                     }
                 },
             .progress =
                 [surveyScans] {
                     if (surveyScans()) std::printf("<BR>MS scans pre-processed. \n");
                 }},
            mergingStage(
                preprocessing, parameters,
                [this](std::int32_t first, std::int32_t end, Context c) { mergeNearbyMSMSspectra(run, first, end, c); },
                {}, [] { std::printf("<BR>Nearby MS/MS spectra with same precursor merged. \n"); }),
            {.name = "charges",
             .reads = {{merging}},
             .logs = chargeCheckLog,
             .run = [this](std::int32_t first, std::int32_t end,
                           Context c) { determinePrecursorCharges(run, first, end, c, &picks); },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (run[i].msLevel != 1 && (run[i].msLevel != 2 || run[i].rejected)) releasePeaks(run[i]);
                     }
                 },
             .progress = [] { std::printf("<BR>Precursor charges determined. \n"); }},
            {.name = "surveyIsotopes",
             .reads = {{charges}},
             .logs = chargeCheckLog,
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     if (c.parameters.chargeFromSurveyIsotopes != 0) {
                         chargePrecursorsFromSurveyIsotopes(run, first, end, c);
                     }
                 },
             .progress =
                 [this, surveyScans] {
                     if (context.parameters.chargeFromSurveyIsotopes != 0 && surveyScans()) {
                         std::printf("<BR>Precursor charges read from survey isotopes. \n");
                     }
                 }},
            {.name = "filtering",
             .reads = {{surveyIsotopes}},
             .logs = rejectReasonsLog,
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     filterMSMSspectra(run, first, end, c, &picks);
                     picks.forgetBefore(end);
                 },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (run[i].msLevel != 1 && !run[i].written()) releasePeaks(run[i]);
                     }
                 },
             .progress = [] { std::printf("<BR>Spectra filtered. \n"); }},
            precursorTICsStage(run, filtering, preprocessing, surveys, parameters),
            spectralFilesStage(run, {{precursorTICs}},
                               {.output = [this] { return velmoraPeakListOutput(context, source); },
                                .write = [this](std::int32_t first, std::int32_t end,
                                                PeakListWriting& writing) { processVelmoraLCMSMSrun(run, first, end, writing); },
                                .readingFailed = [this] { return readingFailed; }}),
            statisticsStage(
                files, [this] { return countRunStatistics(run); }, context, " \n"),
        };
    }

    RunTable& run;
    const ExtractionContext& context;
    PeakListSource source;
    SurveyScansInReach surveys;
    DoublyChargedPicks picks;
    bool readingFailed = false;
    StagePipeline pipeline;  // last: its stages use the members above
};

RunStages::RunStages(RunTable& run, const ExtractionContext& context, PeakListSource source)
    : run_(run), state_(std::make_unique<State>(run, context, std::move(source))) {}

RunStages::~RunStages() = default;

void RunStages::advance(std::int32_t read, bool readingDone) {
    state_->pipeline.advance(read, readingDone, run_.size());
}

void RunStages::finish(bool readingFailed) {
    state_->readingFailed = readingFailed;
    state_->pipeline.finish(run_.size());
}
