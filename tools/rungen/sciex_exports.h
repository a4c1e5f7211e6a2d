#pragma once
// Synthetic Sciex runs as the common converter exports a .wiff file: one
// mzML per sample beside the .wiff path, `<run>.mzML` for a single sample
// and `<run>-<sample>.mzML` for several, with WIFF native ids
// ("sample=1 period=1 cycle=96 experiment=2"). Experiment 1 is the survey
// scan, the dependent MS/MS scans follow; a dependent scan that a cycle did
// not take has no spectrum in the export. All samples may also go into
// one export, `<run>.mzML`, the samples one after another.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/analyst/instrument_family.h"
#include "tools/rungen/run_plan.h"


struct SciexSettings {
    InstrumentFamily family = InstrumentFamily::qstar;
    std::string model;                 // instrument model name; "" for the family's usual one
    std::size_t samples = 1;
    double chargelessFraction = 0.0;   // share of MS/MS scans written without a precursor charge
    // Share of cycles that take only some (possibly none) of their planned
    // dependent scans; the others are skipped.
    double shortCycleFraction = 0.25;
    bool scanTypeCodes = false;        // a "scan type code" userParam on every spectrum
    bool enhancedResolution = false;   // an enhanced-resolution scan (code 12) after each survey scan that chose
    bool msmsOnly = false;             // no survey (nor enhanced-resolution) scans in the exports
    std::size_t firstCycle = 1;        // the number of the first cycle
    bool oneExport = false;            // every sample in RUN.mzML, one after another
};

// The family's usual instrument model: "QSTAR Elite" or "4000 QTRAP".
std::string defaultModel(InstrumentFamily family);

// Writes the exports and one truth table of every spectrum of every sample
// (`truthPath`); returns the export paths. Sample s is planned with seed
// `run.seed` + s - 1.
std::vector<std::string> writeSciexExports(const RunSettings& run, const SciexSettings& sciex,
                                           const std::string& wiffPath, bool gzip, const std::string& truthPath);
