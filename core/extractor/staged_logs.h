#pragma once
// The rows of a run's stages, in the order that passes over the whole table,
// one stage after the other, leave them, while the stages run interleaved
// over the table a block of records at a time. Each stage writes to logs of
// its own, held in memory; a log receives a stage's rows once every earlier
// stage that writes to it is complete, and the first incomplete one among
// them writes through (whenever the rows are passed on).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/extractor/extraction_context.h"

// Which of a run's four logs a stage writes.
enum StageLog : unsigned {
    chargeCheckLog = 1,
    rejectReasonsLog = 2,
    specFeaturesLog = 4,
    runStatsLog = 8,
    everyLog = 15,
};

class StagedLogs {
public:
    // `writes[s]`: the logs that stage s writes (StageLog bits), stages in
    // their order. Declaring a log that a stage does not write holds back
    // the later stages' rows of that log until the stage is complete.
    StagedLogs(const ExtractionContext& run, const std::vector<unsigned>& writes);
    ~StagedLogs();
    StagedLogs(const StagedLogs&) = delete;
    StagedLogs& operator=(const StagedLogs&) = delete;

    // The context stage s runs with: the run's, with the stage's own logs.
    const ExtractionContext& context(std::size_t stage) const;
    // Stage s has run over every record: its rows no longer hold back later stages'.
    void complete(std::size_t stage);
    // Hands the run's logs every row that stage order lets through. Rows
    // not passed on when this object goes are dropped.
    void pass();

private:
    struct Stage;
    std::vector<std::unique_ptr<Stage>> stages_;
    ExtractionLogs runLogs_;
};

// How far a stage may go that reads up to `reach` records beyond its own,
// while the stage it reads from has run over the records before `ahead`:
// all the way once that one has run over all `count`.
inline std::int32_t frontierBehind(std::int32_t ahead, std::int32_t reach, std::int32_t count) {
    return ahead >= count ? count : std::max(0, ahead - reach);
}
