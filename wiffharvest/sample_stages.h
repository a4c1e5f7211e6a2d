#pragma once
// The stages of one sample of a .wiff file, interleaved over its scan table
// close behind the reading. Each stage runs over the records for which
// everything it reads is final: spectra read, charges from isotope spacing
// assigned, merge windows complete. A spectrum's peaks go as soon as no
// stage will read them again, and a survey scan's once no record left to a
// stage can look at it. The peak-list files wait for the whole sample to
// be read, so that a sample that cannot be read leaves nothing but what the
// reading wrote. The rows, the files and the page are those of the stages
// run one after the other over the whole table.
#include <cstdint>
#include <memory>

#include "core/extractor/extraction_context.h"
#include "core/extractor/run_peak_list_file.h"
#include "wiffharvest/sciex_instrument.h"
#include "wiffharvest/sciex_ms_scan.h"

class SampleStages {
public:
    // Nothing is run yet: the table is laid out, its spectra still to be
    // read. `source` is the sample's export, as the peak lists name it.
    SampleStages(ScanTable& table, std::int32_t sample, const ExtractionContext& context,
                 const SciexInstrument& instrument, PeakListSource source = {});
    ~SampleStages();
    SampleStages(const SampleStages&) = delete;
    SampleStages& operator=(const SampleStages&) = delete;

    // The records before `read` are read; all are when `read` reaches the
    // table's size. Runs each stage as far as it can.
    void advance(std::int32_t read);
    // After the last record: each stage's progress line, with the peak-list
    // files' failure or MGF file and the statistics block.
    void finish();

private:
    struct State;

    ScanTable& table_;
    std::unique_ptr<State> state_;
};
