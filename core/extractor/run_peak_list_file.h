#pragma once
// A peak-list file that holds a whole run (or one sample of a .wiff file):
// what the output stage hands each such writer, spectrum by spectrum in
// record order, and what the writer answers. Each is written whole or not at
// all (a CommittedFile).
#include <cstdint>
#include <optional>
#include <string>

#include "core/peaks/spectrum_points.h"

// What differs between the programs' peak lists, besides their records.
struct PeakListOutput {
    std::string stem;    // of the run's (or sample's) files in resultsXtractorDir
    int mzDecimals = 2;  // of the .pkl peak lines
    const char* label;   // names the stage in a failure's message
};

// One written spectrum, or merged group, as a run file states it.
struct PeakListSpectrum {
    std::string title;  // the .pkl file name without its ending
    double parentMz = 0.0;
    double precursorIntensity = 0.0;
    std::int32_t charge = 0;  // established only; 0 when undetermined
    std::int32_t firstScan = 0;
    std::int32_t lastScan = 0;
    std::optional<double> retentionSeconds;
};

class RunPeakListFile {
public:
    virtual ~RunPeakListFile() = default;
    // False when the file could not be made; commit() then reports it.
    virtual bool created() const = 0;
    virtual void add(const PeakListSpectrum& spectrum, const SpectrumPoints& peaks) = 0;
    virtual std::int64_t spectra() const = 0;
    // Closes the file and gives it its name; a failed creation, write or
    // close ends the process.
    virtual void commit() = 0;
};
