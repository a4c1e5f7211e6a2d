#pragma once
// One sample of a .wiff file as the object model lays it out, from its
// export: periods of cycles, each cycle running the same experiments.
// Indices here are 0-based, as in the object model.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
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

struct WiffPeriod {
    std::int32_t experimentCount = 0;  // highest experiment number
    std::int32_t cycleCount = 0;       // highest cycle number
    std::vector<std::int16_t> scanTypes;  // per experiment; -1 for one without spectra
    std::vector<WiffScan> scans;          // ordered by experiment, then cycle

    std::span<const WiffScan> experimentScans(std::int32_t experiment) const;
    // Nothing when the export has no spectrum for that cycle and experiment.
    const WiffScan* find(std::int32_t experiment, std::int32_t cycle) const;
};

struct WiffSample {
    std::shared_ptr<const OpenFormatExport> source;
    std::optional<std::int32_t> sampleKey;  // the ids' sample number, when they carry one
    std::string name;                       // first sample name, else the run id
    std::int32_t modelCode = 0;
    std::string modelName;
    std::vector<WiffPeriod> periods;
};

// Reads every spectrum of the export, its arrays included, and lays them
// out by their native ids, or by ms level when the ids carry no cycle and
// experiment keys. Throws ExportReadError for a damaged export or for ids
// that disagree.
WiffSample readWiffSample(const std::string& exportPath);
