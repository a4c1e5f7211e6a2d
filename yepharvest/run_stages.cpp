#include "yepharvest/run_stages.h"

#include <cstdio>
#include <optional>

#include "core/extractor/merge_windows.h"
#include "core/extractor/precursor_tics.h"
#include "core/extractor/run_statistics.h"
#include "core/extractor/stage_pipeline.h"
#include "core/extractor/survey_scans.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_filtering.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"
#include "yepharvest/run_counts.h"
#include "yepharvest/spectral_files.h"
#include "yepharvest/survey_isotope_charges.h"

namespace {

// The stages in their order, the reading first.
enum Stage : std::size_t { reading, preprocessing, merging, charges, surveyIsotopes, filtering, precursorTICs, files };

void dropPeaks(MSscan& scan) { SpectrumPoints().swap(scan.peaks); }

}  // namespace

struct RunStages::State {
    State(RunTable& table, const ExtractionContext& runContext)
        : run(table), context(runContext), surveys(precursorTICsReach(runContext.parameters)),
          pipeline(runContext, stages()) {}

    // A record's own peaks are read by its charge decision, then, while it
    // may still be written, by the filters and the file; a survey scan's by
    // the records around it.
    std::vector<PipelineStage> stages() {
        const ExtractorParameters& parameters = context.parameters;
        using Context = const ExtractionContext&;
        return {
            {.name = "reading", .logs = rejectReasonsLog | runStatsLog},
            {.name = "preprocessing",
             .reads = {{reading}},
             .run = [this](std::int32_t first, std::int32_t end,
                           Context c) { preprocessMSscans(run, first, end, c); },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (run[i].msLevel == 1) surveys.add(i);
                     }
                 }},
            {.name = "merging",
             .reads = {{preprocessing, windowReach(parameters)}},
             .logs = rejectReasonsLog,
             .run = [this](std::int32_t first, std::int32_t end,
                           Context c) { mergeNearbyMSMSspectra(run, first, end, c); }},
            {.name = "charges",
             .reads = {{merging}},
             .logs = chargeCheckLog,
             .run = [this](std::int32_t first, std::int32_t end,
                                 Context c) { determinePrecursorCharges(run, first, end, c, &picks); },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (run[i].msLevel != 1 && (run[i].msLevel != 2 || run[i].rejected)) dropPeaks(run[i]);
                     }
                 }},
            {.name = "surveyIsotopes",
             .reads = {{charges}},
             .logs = chargeCheckLog,
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     if (c.parameters.chargeFromSurveyIsotopes != 0) {
                         chargePrecursorsFromSurveyIsotopes(run, first, end, c);
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
                         if (run[i].msLevel != 1 && !run[i].written()) dropPeaks(run[i]);
                     }
                 }},
            {.name = "precursorTICs",
             .reads = {{filtering}, {preprocessing, precursorTICsReach(parameters)}},
             .run = [this](std::int32_t first, std::int32_t end,
                           Context c) { calculatePrecursorTICs(run.records, first, end, c); },
             .release =
                 [this](std::int32_t, std::int32_t end) {
                     surveys.releaseUnreachable(end, [&](std::int32_t k) { dropPeaks(run[k]); });
                 }},
            {.name = "files",
             .reads = {{precursorTICs}},
             .logs = specFeaturesLog,
             .run =
                 [this](std::int32_t first, std::int32_t end, Context c) {
                     if (!writing) writing.emplace(velmoraPeakListOutput(context), c);
                     processVelmoraLCMSMSrun(run, first, end, *writing);
                 },
             .release =
                 [this](std::int32_t first, std::int32_t end) {
                     for (std::int32_t i = first; i < end; ++i) {
                         if (run[i].msLevel != 1) dropPeaks(run[i]);
                     }
                 }},
        };
    }

    RunTable& run;
    const ExtractionContext& context;
    SurveyScansInReach surveys;
    DoublyChargedPicks picks;
    std::optional<PeakListWriting> writing;
    StagePipeline pipeline;  // last: its stages use the members above
};

RunStages::RunStages(RunTable& run, const ExtractionContext& context)
    : run_(run), context_(context), state_(std::make_unique<State>(run, context)) {}

RunStages::~RunStages() = default;

void RunStages::advance(std::int32_t read, bool readingDone) {
    state_->pipeline.advance(read, readingDone, run_.numScans());
}

void RunStages::finish(bool readingFailed) {
    advance(run_.numScans(), true);
    State& s = *state_;
    const bool surveyScans = !run_.noMSscans;
    if (surveyScans) std::printf("<BR>MS scans pre-processed. \n");
    std::printf("<BR>Nearby MS/MS spectra with same precursor merged. \n");
    std::printf("<BR>Precursor charges determined. \n");
    if (context_.parameters.chargeFromSurveyIsotopes != 0 && surveyScans) {
        std::printf("<BR>Precursor charges read from survey isotopes. \n");
    }
    std::printf("<BR>Spectra filtered. \n");
    if (surveyScans) std::printf("<BR>Calculated precursor TICs in intervening MS scans.\n");
    s.writing->finish(readingFailed);
    std::printf("<BR>Created spectral files.\n");
    writeRunStatistics(countRunStatistics(run_), context_.parameters.maxCharge, context_.getRunStatsStream());
    std::printf("<BR>Run statistics calculated and output. \n");
}
