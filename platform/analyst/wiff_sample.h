#pragma once
// One sample of a .wiff file as the object model lays it out, from its
// export: periods of cycles, each cycle running the same experiments.
// Indices here are 0-based, as in the object model.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/openformat/open_format_export.h"

struct WiffScan {
    std::int32_t experiment = 0;
    std::int32_t cycle = 0;
    std::size_t exportIndex = 0;  // the spectrum's position in its export
    float cycleTime = 0.0f;       // seconds; 0 when the export gives no start time
    double totalIonCurrent = 0.0;
    std::string description;
};

// Period, cycle and experiment numbers are the instrument's labels: an
// export of the MS/MS spectra only, or of a part of a run, names far higher
// numbers than it holds spectra. So the tables hold what the export has,
// found by number, and the counts are the highest numbers.
struct WiffPeriod {
    std::int32_t number = 0;           // 0-based
    std::int32_t experimentCount = 0;  // highest experiment number
    std::int32_t cycleCount = 0;       // highest cycle number
    std::vector<std::pair<std::int32_t, std::int16_t>> scanTypes;  // by experiment, of those with spectra
    std::vector<WiffScan> scans;  // ordered by experiment, then cycle

    // -1 for an experiment without spectra.
    std::int16_t scanType(std::int32_t experiment) const;
    std::span<const WiffScan> experimentScans(std::int32_t experiment) const;
    // Nothing when the export has no spectrum for that cycle and experiment.
    const WiffScan* find(std::int32_t experiment, std::int32_t cycle) const;
    // The experiment's scan whose cycle time lies nearest the middle of
    // [startTime, endTime] and within 0.001 s of that range; on a tie the
    // first in the export; nothing when none does.
    const WiffScan* nearest(std::int32_t experiment, float startTime, float endTime) const;
    // The cycles that hold a spectrum of any experiment, ascending.
    std::vector<std::int32_t> cyclesWithSpectra() const;
};

struct WiffSample {
    std::shared_ptr<const OpenFormatExport> source;
    std::optional<std::int32_t> sampleKey;  // the ids' sample number, when they carry one
    std::string name;                       // its name in the sample list, else the run id
    std::int32_t modelCode = 0;
    std::string modelName;
    std::int32_t periodCount = 0;     // highest period number
    std::vector<WiffPeriod> periods;  // those with spectra, by number

    // An empty period for a number without spectra.
    const WiffPeriod& period(std::int32_t number) const;
};

// Reads every spectrum of the export, its arrays included, and lays each
// sample it holds out by its native ids, or by ms level when the ids carry
// no cycle and experiment keys: one sample, or one per sample key in the
// order of the keys (an export of several samples of a .wiff file). Throws
// ExportReadError for a damaged export or for ids that disagree.
std::vector<WiffSample> readWiffSamples(const std::string& exportPath);
