#pragma once
// The rows of a run's stages, in the order that passes over the whole table,
// one stage after the other, leave them, while the stages run interleaved
// over the table a block of records at a time. Each stage writes to logs of
// its own, held in memory; a log receives a stage's rows once every earlier
// stage that writes to it is complete, and the first incomplete one among
// them writes through (whenever the rows are passed on).
#include <cstddef>
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
    // A stage's name and the logs it writes (StageLog bits).
    struct Declared {
        const char* stage;
        unsigned writes;
    };
    // The stages in their order. Declaring a log that a stage does not write
    // holds back the later stages' rows of that log until the stage is
    // complete; writing one that it does not declare would let them pass
    // before its own, so that ends the process (see pass()).
    StagedLogs(const ExtractionContext& run, const std::vector<Declared>& stages);
    ~StagedLogs();
    StagedLogs(const StagedLogs&) = delete;
    StagedLogs& operator=(const StagedLogs&) = delete;

    // The context stage s runs with: the run's, with the stage's own logs.
    const ExtractionContext& context(std::size_t stage) const;
    // Stage s has run over every record: its rows no longer hold back later stages'.
    void complete(std::size_t stage);
    // Hands the run's logs every row that stage order lets through. Rows
    // not passed on when this object goes are dropped. A stage that has
    // written to a log it did not declare is a fault of the program: the
    // process ends through the fatal path, naming the stage and the log,
    // before any of its rows reach a file.
    void pass();

private:
    struct Stage;
    std::vector<std::unique_ptr<Stage>> stages_;
    ExtractionLogs runLogs_;
};
