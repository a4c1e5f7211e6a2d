#pragma once
// Reads a .wiff file through the Analyst object model: its samples and
// instrument once, then one sample at a time into the scan table, with the
// skipped-scan report of every period. Object-model failures are raised as
// ComError and caught by the driver.
#include <cstdint>
#include <string>
#include <vector>

#include "core/extractor/extraction_context.h"
#include "core/extractor/run_peak_list_file.h"
#include "platform/analyst/spectrum_data.h"
#include "platform/analyst/wiff_file_data.h"
#include "wiffharvest/sciex_instrument.h"
#include "wiffharvest/sciex_ms_scan.h"

// The number of samples; the sample lines go to runStats.txt and the
// instrument type (from the first sample's model code) to `instrument`.
std::int32_t openWiffFile(const std::string& path, const ExtractionContext& context, SciexInstrument& instrument);

// Reading one sample (1-based) into `table` a block of spectra at a time, so
// that the stages can follow close behind and the sample's raw peaks never
// stand in memory all at once. What is printed and logged is what reading
// the sample in one go prints.
class SampleReading {
public:
    // Opens the sample, reports the skipped scans of every period and lays
    // out the table: every record's scan number, level, type and time;
    // noMSscans is set when no level-1 scan was taken.
    SampleReading(const std::string& path, std::int32_t sample, ScanTable& table, const ExtractionContext& context,
                  const SciexInstrument& instrument);

    // n, the number of records stored.
    std::int32_t count() const;
    // The sample's export, for the peak lists that name their spectra's origin.
    PeakListSource source() const;
    // Reads the spectra of the records before `end`.
    void readUpTo(std::int32_t end);
    // The records before it are read.
    std::int32_t frontier() const;
    bool done() const;

private:
    // Where a record's spectrum is and when.
    struct SpectrumToRead {
        std::int32_t period;
        std::int32_t experiment;
        float cycleTime;
    };
    void layOutPeriod(const WiffFileData& file, std::int32_t period, std::int32_t& index);

    const std::string& path_;
    std::int32_t sample_;
    ScanTable& table_;
    const ExtractionContext& context_;
    const SciexInstrument& instrument_;
    double width_;  // centroiding width, the picking settings' binning tolerance
    SpectrumData reader_;  // copied by each spectrum read, so that two threads can read at once
    std::vector<SpectrumToRead> toRead_;  // by record
    std::int32_t frontier_ = 0;
    bool sawLevel1_ = false;
};
