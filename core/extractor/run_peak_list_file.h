#pragma once
// A peak-list file that holds a whole run (or one sample of a .wiff file):
// what the output stage hands each such writer, spectrum by spectrum in
// record order, and what the writer answers. Each is written whole or not at
// all (a CommittedFile).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/peaks/spectrum_points.h"

// Where a run's (or sample's) spectra were read from, for a file that keeps
// their origin. All empty when the run could not be opened.
struct PeakListSource {
    std::string path;  // the export read
    // Its instrument model as a PSI-MS term; both empty when it names none
    // the vocabulary knows.
    std::string instrumentAccession;
    std::string instrumentName;
    // The export's id of the spectrum behind a record's scan number; "" when
    // there is none. Called in record order, from one thread at a time.
    std::function<std::string(std::int32_t scanNumber)> nativeId;
};

// What differs between the programs' peak lists, besides their records.
struct PeakListOutput {
    std::string stem;    // of the run's (or sample's) files in resultsXtractorDir
    int mzDecimals = 2;  // of the .pkl peak lines
    const char* label;   // names the stage in a failure's message
    const char* program = "";  // "yepharvest", as a file names its processing
    const char* version = "";
    PeakListSource source = {};
    // The settings the processing ran with, key and value (querySettings).
    std::vector<std::pair<std::string, std::string>> settings = {};
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
