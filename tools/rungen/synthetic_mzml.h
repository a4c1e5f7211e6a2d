#pragma once
// Synthetic runs as mzML: one planned spectrum as an mzML spectrum (levels,
// scan time and window, precursor, peaks), and the writing of a run.
#include <cstddef>
#include <string>

#include "pwiz/data/msdata/MSData.hpp"

#include "tools/rungen/run_plan.h"

// How a fragment scan states its precursor: first-vendor runs always give
// the charge and one collision energy.
struct PrecursorLabel {
    bool withCharge = true;
    double collisionEnergy = 35.0;
};

pwiz::msdata::SpectrumPtr syntheticSpectrum(const RunPlan& plan, std::size_t index, const std::string& id,
                                            const PrecursorLabel& label, bool getBinaryData);

// Zlib-compressed arrays and single-precision intensities, as instrument
// converters write them; `gzip` compresses the whole file.
void writeSyntheticMzML(const pwiz::msdata::MSData& data, const std::string& path, bool gzip);
