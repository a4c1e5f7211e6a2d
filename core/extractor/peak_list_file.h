#pragma once
// The .pkl peak-list file of one written spectrum or merged group: a header
// line "<precursor m/z>\t<precursor intensity>\t<charge>", then one line per
// peak, no line feed at the end.
#include <cstdint>
#include <string>

#include "core/peaks/spectrum_points.h"

struct PeakListFile {
    double parentMz = 0.0;
    double precursorIntensity = 0.0;
    std::int32_t charge = 0;  // 0 when undetermined
    int mzDecimals = 2;       // 2, or 4 for QSTAR peak lines
};

// Replaces any file at `path`; a file that cannot be opened or closed ends
// the process with a message carrying `label`.
void writePeakListFile(const std::string& path, const PeakListFile& header, const SpectrumPoints& peaks,
                       const char* label);
void writePeakListFile(const std::string& path, const PeakListFile& header, const PeakList& peaks,
                       const char* label);
