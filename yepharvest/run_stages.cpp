#include "yepharvest/run_stages.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "core/extractor/merge_windows.h"
#include "core/extractor/precursor_tics.h"
#include "core/extractor/run_statistics.h"
#include "core/extractor/staged_logs.h"
#include "core/extractor/survey_scans.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_filtering.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"
#include "yepharvest/run_counts.h"
#include "yepharvest/spectral_files.h"
#include "yepharvest/survey_isotope_charges.h"

namespace {

// The stages in their order, the reading first; each holds its own rows
// until the earlier stages that write the same log are complete.
enum Stage : std::size_t { reading, preprocessing, merging, charges, surveyIsotopes, filtering, precursorTICs, files };

const std::vector<unsigned> kStageLogs = {
    rejectReasonsLog | runStatsLog,  // reading
    0,                               // preprocessing
    rejectReasonsLog,                // merging
    chargeCheckLog,                  // charges
    chargeCheckLog,                  // surveyIsotopes
    rejectReasonsLog,                // filtering
    0,                               // precursorTICs
    specFeaturesLog,                 // files
};

void dropPeaks(MSscan& scan) { SpectrumPoints().swap(scan.peaks); }

}  // namespace

// Each stage has run over the records before its frontier.
struct RunStages::Frontiers {
    std::int32_t preprocessed = 0;
    std::int32_t merged = 0;
    std::int32_t charged = 0;
    std::int32_t surveyCharged = 0;
    std::int32_t filtered = 0;
    std::int32_t precursorTICs = 0;
    std::int32_t written = 0;
};

struct RunStages::State {
    explicit State(const ExtractionContext& context)
        : logs(context, kStageLogs), surveys(std::max(context.parameters.groupScans, 0)) {}

    StagedLogs logs;
    Frontiers at;
    SurveyScansInReach surveys;
    std::int32_t surveysSeen = 0;  // records looked at for survey scans
    DoublyChargedPicks picks;
    std::optional<PeakListWriting> writing;
};

RunStages::RunStages(RunTable& run, const ExtractionContext& context)
    : run_(run), context_(context), state_(std::make_unique<State>(context)) {}

RunStages::~RunStages() = default;

void RunStages::advance(std::int32_t read, bool readingDone) {
    State& s = *state_;
    Frontiers& at = s.at;
    const Frontiers before = at;
    const std::int32_t count = run_.numScans();
    const ExtractorParameters& parameters = context_.parameters;
    if (readingDone) {
        read = count;
        s.logs.complete(reading);
    }

    preprocessMSscans(run_, at.preprocessed, read, s.logs.context(preprocessing));
    at.preprocessed = read;
    // A group's window and the survey scans its signal-to-noise spans lie
    // within windowReach records beyond it.
    const std::int32_t mergeTo = std::max(at.merged, frontierBehind(at.preprocessed, windowReach(parameters), count));
    mergeNearbyMSMSspectra(run_, at.merged, mergeTo, s.logs.context(merging));
    at.merged = mergeTo;
    determinePrecursorCharges(run_, at.charged, at.merged, s.logs.context(charges), &s.picks);
    at.charged = at.merged;
    if (parameters.chargeFromSurveyIsotopes != 0) {
        chargePrecursorsFromSurveyIsotopes(run_, at.surveyCharged, at.charged, s.logs.context(surveyIsotopes));
    }
    at.surveyCharged = at.charged;
    filterMSMSspectra(run_, at.filtered, at.surveyCharged, s.logs.context(filtering), &s.picks);
    at.filtered = at.surveyCharged;
    s.picks.forgetBefore(at.filtered);
    // The survey scans within groupScans of a record, on both sides.
    const std::int32_t ticsReach = std::max(parameters.groupScans, 0);
    const std::int32_t ticsTo =
        std::max(at.precursorTICs, std::min(at.filtered, frontierBehind(at.preprocessed, ticsReach, count)));
    calculatePrecursorTICs(run_.records, at.precursorTICs, ticsTo, s.logs.context(precursorTICs));
    at.precursorTICs = ticsTo;
    if (!s.writing) s.writing.emplace(velmoraPeakListOutput(context_), s.logs.context(files));
    processVelmoraLCMSMSrun(run_, at.written, at.precursorTICs, *s.writing);
    at.written = at.precursorTICs;

    if (at.merged >= count) s.logs.complete(merging);
    if (at.charged >= count) s.logs.complete(charges);
    if (at.surveyCharged >= count) s.logs.complete(surveyIsotopes);
    if (at.filtered >= count) s.logs.complete(filtering);
    if (at.written >= count) s.logs.complete(files);
    s.logs.pass();
    releasePeaks(before);
}

// A record's own peaks are read by its charge decision, then, while it may
// still be written, by the filters and the file; a survey scan's by the
// records around it.
void RunStages::releasePeaks(const Frontiers& before) {
    State& s = *state_;
    const Frontiers& at = s.at;
    for (std::int32_t i = before.charged; i < at.charged; ++i) {
        MSscan& scan = run_[i];
        if (scan.msLevel != 1 && (scan.msLevel != 2 || scan.rejected)) dropPeaks(scan);
    }
    for (std::int32_t i = before.filtered; i < at.filtered; ++i) {
        MSscan& scan = run_[i];
        if (scan.msLevel != 1 && !scan.written()) dropPeaks(scan);
    }
    for (std::int32_t i = before.written; i < at.written; ++i) {
        MSscan& scan = run_[i];
        if (scan.msLevel != 1) dropPeaks(scan);
    }
    for (; s.surveysSeen < at.preprocessed; ++s.surveysSeen) {
        if (run_[s.surveysSeen].msLevel == 1) s.surveys.add(s.surveysSeen);
    }
    s.surveys.releaseUnreachable(at.precursorTICs, [&](std::int32_t k) { dropPeaks(run_[k]); });
}

void RunStages::finish() {
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
    s.writing->finish();
    std::printf("<BR>Created spectral files.\n");
    writeRunStatistics(countRunStatistics(run_), context_.parameters.maxCharge, context_.getRunStatsStream());
    std::printf("<BR>Run statistics calculated and output. \n");
}
