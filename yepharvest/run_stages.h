#pragma once
// The stages of one run, interleaved over the run table close behind the
// reading. Each stage runs over the records for which everything it reads is
// final: records read, survey scans pre-processed, merge windows complete,
// charges decided. A record's raw peaks go as soon as no stage will read
// them again, and a survey scan's once no record left to a stage can look at
// it, so memory follows the merge windows instead of the run. The rows, the
// files and the page are those of the stages run one after the other over
// the whole table.
#include <cstdint>
#include <memory>

#include "core/extractor/extraction_context.h"
#include "core/extractor/run_peak_list_file.h"
#include "yepharvest/ms_scan.h"

class RunStages {
public:
    // Nothing is run yet: the reading comes first. `source` is the export
    // the run is read from, as the peak lists name it.
    RunStages(RunTable& run, const ExtractionContext& context, PeakListSource source = {});
    ~RunStages();
    RunStages(const RunStages&) = delete;
    RunStages& operator=(const RunStages&) = delete;

    // The records before `read` are read; `readingDone` when the reading has
    // ended (all records are then final). Runs each stage as far as it can.
    void advance(std::int32_t read, bool readingDone);
    // After the reading's last lines: each stage's progress line, with the
    // peak-list files' failure or MGF file and the statistics block.
    // `readingFailed`: the run's reading ended in an error.
    void finish(bool readingFailed);

private:
    RunTable& run_;
    struct State;
    std::unique_ptr<State> state_;
};
