#pragma once
// The stages of a run, interleaved over its table close behind the reading.
// Each stage says which earlier stages it reads and how far beyond its own
// records it reads them (its reach); it runs over the records for which
// everything it reads is final. The stage's logs are held until every
// earlier stage that writes the same log is complete (StagedLogs), so the
// rows, the files and the page are those of the stages run one after the
// other over the whole table. After every stage has gone as far as it can,
// each releases what no later stage will read again. Once the whole table
// is done, each stage in its order says so on the page.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "core/extractor/extraction_context.h"
#include "core/extractor/staged_logs.h"

// A stage that reads the records of stage `stage` up to `reach` records
// beyond its own.
struct StageInput {
    std::size_t stage = 0;
    std::int32_t reach = 0;
};

// How far a stage may go that reads up to `reach` records beyond its own,
// while the stage it reads from has run over the records before `ahead`:
// all the way once that one has run over all `count`.
inline std::int32_t frontierBehind(std::int32_t ahead, std::int32_t reach, std::int32_t count) {
    return ahead >= count ? count : std::max(0, ahead - reach);
}

// The reach of a stage that waits for the whole table of the one it reads.
inline constexpr std::int32_t kWholeTable = std::numeric_limits<std::int32_t>::max();

// Over the records [first, end), with the stage's own logs.
using StageRun = std::function<void(std::int32_t first, std::int32_t end, const ExtractionContext& context)>;
// [first, end): the records the stage has newly run over.
using StageRelease = std::function<void(std::int32_t first, std::int32_t end)>;
// After the whole table: the stage's progress line, and what it ends.
using StageProgress = std::function<void()>;

struct PipelineStage {
    const char* name = "";
    // The stages it reads; none for the reading, which comes first and is
    // advanced from outside.
    std::vector<StageInput> reads{};
    unsigned logs = 0;  // the StageLog bits of the logs it writes
    // Over the records [first, end), with the stage's own logs. It runs over
    // each new stretch of records, and once, when it reaches the end of the
    // table, even if that stretch is empty. May be left empty.
    StageRun run{};
    // After every stage has run in a pass: [first, end) are the records the
    // stage has newly run over. Called on every pass. May be left empty.
    StageRelease release{};
    // Once every stage has run over the whole table, in stage order: its
    // line on the page, and whatever it ends then (the files it commits,
    // the statistics it writes). May be left empty.
    StageProgress progress{};
};

class StagePipeline {
public:
    // Stage 0 is the reading. Nothing is run yet.
    StagePipeline(const ExtractionContext& context, std::vector<PipelineStage> stages);

    // The first `read` of `count` records are read; all are when
    // `readingDone`. Runs each stage as far as it can.
    void advance(std::int32_t read, bool readingDone, std::int32_t count);

    // After the last record (and the reading's own last lines): runs each
    // stage to the end, then calls each stage's progress in order.
    void finish(std::int32_t count);

    // The records before it have been run over by the stage.
    std::int32_t frontier(std::size_t stage) const { return frontiers_[stage]; }

private:
    std::vector<PipelineStage> stages_;
    StagedLogs logs_;
    std::vector<std::int32_t> frontiers_;
    std::vector<bool> reachedEnd_;
};
