#pragma once
// Reads one first-vendor run into the run table, a block of spectra at a
// time, and prints the run's identity and acquisition parameters for the
// browser.
#include <cstdint>
#include <memory>
#include <string>

#include "core/extractor/extraction_context.h"
#include "core/extractor/run_peak_list_file.h"
#include "yepharvest/ms_scan.h"

// Reading a run a block of spectra at a time, so that the stages can follow
// close behind and the run's raw peaks never stand in memory all at once.
// What is printed and logged is what reading the run in one go prints.
class RunReading {
public:
    // Opens the run (the run folder, or the export file itself) and sizes
    // the table; a run that cannot be opened leaves it empty.
    RunReading(const std::string& runPath, RunTable& run, const ExtractionContext& context);
    ~RunReading();
    RunReading(const RunReading&) = delete;
    RunReading& operator=(const RunReading&) = delete;

    // Reads the spectra before record `end` (at most the run's count). A
    // spectrum that cannot be read ends the reading: the records before it
    // are read, it keeps what was read of it, the later ones stay zeroed.
    void readUpTo(std::int32_t end);
    // The records before it are read, or stay as a failure left them.
    std::int32_t frontier() const;
    bool done() const;
    // After the last spectrum: the run's identity lines and the export's
    // warnings. 0 when the run was read, 1 when opening or reading failed.
    int finish();
    // The export the run was opened from, for the peak lists that name
    // their spectra's origin; empty when it could not be opened.
    PeakListSource source() const;
    // Why opening or reading failed, for the failure line; empty otherwise.
    const std::string& failure() const { return failure_; }

private:
    struct Open;
    // Runs `step`, reporting a failure as the reader has always reported it.
    template <class Step>
    void guarded(Step step);

    RunTable& run_;
    const ExtractionContext& context_;
    std::unique_ptr<Open> open_;
    std::int32_t frontier_ = 0;
    bool failed_ = false;
    std::string failure_;
    bool anyMSscan_ = false;
};

// Appends the run's identity lines to runStats.txt; `acquisitionDate` in
// days since 30 December 1899.
void writeRunInfo(const std::string& analysisName, const std::string& sampleName, double acquisitionDate,
                  LogSink& runStats);
