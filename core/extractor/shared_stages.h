#pragma once
// The stages both programs run, each declared once: what it reads and how
// far beyond its own records, the logs it writes, what it lets go once it has
// run and its line on the page. A program's driver lists these among its
// own stages; where the programs' words after a line differ (wiffharvest
// follows most lines with its count of spectra left), they pass them in.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/extractor/extraction_context.h"
#include "core/extractor/merge_windows.h"
#include "core/extractor/peak_list_output.h"
#include "core/extractor/precursor_tics.h"
#include "core/extractor/record_table.h"
#include "core/extractor/run_statistics.h"
#include "core/extractor/stage_pipeline.h"
#include "core/extractor/spectrum_record.h"
#include "core/extractor/survey_scans.h"

inline void releasePeaks(SpectrumRecord& record) { SpectrumPoints().swap(record.peaks); }

// Merging within windows (merge_windows.h): `merge` runs over the groups
// opened by records whose window's records are final after stage `after`.
inline PipelineStage mergingStage(std::size_t after, const ExtractorParameters& parameters, StageRun merge,
                                  StageRelease release, StageProgress progress) {
    return {.name = "merging",
            .reads = {{after, windowReach(parameters)}},
            .logs = rejectReasonsLog,
            .run = std::move(merge),
            .release = std::move(release),
            .progress = std::move(progress)};
}

// Precursor intensities in the survey scans around each written spectrum,
// once it is filtered (stage `filtered`) and the survey scans within reach
// are final (stage `surveysFinal`). Skipped, line and all, in a table that
// has no survey scan: a table learns that from its reader, and where that is
// only at the end, the records before summed nothing. Survey scans go once
// no record left can reach them.
template <class Record>
PipelineStage precursorTICsStage(RecordTable<Record>& table, std::size_t filtered, std::size_t surveysFinal,
                                 SurveyScansInReach& surveys, const ExtractorParameters& parameters,
                                 StageProgress afterLine = {}) {
    return {.name = "precursorTICs",
            .reads = {{filtered}, {surveysFinal, precursorTICsReach(parameters)}},
            .run =
                [&table](std::int32_t first, std::int32_t end, const ExtractionContext& context) {
                    if (!table.noMSscans) calculatePrecursorTICs(table.records, first, end, context);
                },
            .release =
                [&table, &surveys](std::int32_t, std::int32_t end) {
                    surveys.releaseUnreachable(end, [&](std::int32_t k) { releasePeaks(table[k]); });
                },
            .progress =
                [&table, afterLine = std::move(afterLine)] {
                    if (table.noMSscans) return;
                    std::printf("<BR>Calculated precursor TICs in intervening MS scans.\n");
                    if (afterLine) afterLine();
                }};
}

// What a program gives the spectral-files stage: its output, and how it
// writes records [first, end) through a PeakListWriting of it.
struct SpectralFiles {
    std::function<PeakListOutput()> output;
    std::function<void(std::int32_t first, std::int32_t end, PeakListWriting& writing)> write;
    // True when the run's reading failed (see PeakListWriting::finish); may
    // be left empty.
    std::function<bool()> readingFailed{};
};

// The peak-list files and spectrum-features rows, once the stages in
// `reads` are final; an MS/MS record's peaks go once it is written. The
// files are committed (or their failure reported) with the stage's line.
template <class Record>
PipelineStage spectralFilesStage(RecordTable<Record>& table, std::vector<StageInput> reads, SpectralFiles files,
                                 StageProgress afterLine = {}) {
    auto writing = std::make_shared<std::optional<PeakListWriting>>();
    auto shared = std::make_shared<SpectralFiles>(std::move(files));
    return {.name = "files",
            .reads = std::move(reads),
            .logs = specFeaturesLog,
            .run =
                [writing, shared](std::int32_t first, std::int32_t end, const ExtractionContext& context) {
                    if (!*writing) writing->emplace(shared->output(), context);
                    shared->write(first, end, **writing);
                },
            .release =
                [&table](std::int32_t first, std::int32_t end) {
                    for (std::int32_t i = first; i < end; ++i) {
                        if (table[i].msLevel != 1) releasePeaks(table[i]);
                    }
                },
            .progress =
                [writing, shared, afterLine = std::move(afterLine)] {
                    (*writing)->finish(shared->readingFailed && shared->readingFailed());
                    std::printf("<BR>Created spectral files.\n");
                    if (afterLine) afterLine();
                }};
}

// The statistics block of the finished table, written to runStats.txt after
// every row of the stages; `lineEnd` ends the stage's line as each program
// has always ended it.
inline PipelineStage statisticsStage(std::size_t after, std::function<RunStatistics()> count,
                                     const ExtractionContext& context, const char* lineEnd,
                                     StageProgress afterLine = {}) {
    return {.name = "statistics",
            .reads = {{after, kWholeTable}},
            .progress = [count = std::move(count), &context, lineEnd, afterLine = std::move(afterLine)] {
                writeRunStatistics(count(), context.parameters.maxCharge, context.getRunStatsStream());
                std::printf("<BR>Run statistics calculated and output.%s", lineEnd);
                if (afterLine) afterLine();
            }};
}
