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

// Writes the file under a temporary name beside `path` and renames it to
// `path` (replacing any file there) when it is complete, so that no part of a
// peak list is ever left under a final name. A file that cannot be opened,
// written, closed or renamed is removed and ends the process with a message
// carrying `label` and the system error text.
void writePeakListFile(const std::string& path, const PeakListFile& header, const SpectrumPoints& peaks,
                       const char* label);
void writePeakListFile(const std::string& path, const PeakListFile& header, const PeakList& peaks,
                       const char* label);
