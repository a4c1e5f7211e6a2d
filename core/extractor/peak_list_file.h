#pragma once
// The .pkl peak-list file of one written spectrum or merged group: a header
// line "<precursor m/z>\t<precursor intensity>\t<charge>", then one line per
// peak, no line feed at the end.
#include <cstdint>
#include <optional>
#include <string>

#include "core/peaks/spectrum_points.h"

struct PeakListFile {
    double parentMz = 0.0;
    double precursorIntensity = 0.0;
    std::int32_t charge = 0;  // 0 when undetermined
    int mzDecimals = 2;       // 2, or 4 for QSTAR peak lines
};

// A peak-list file that could not be made: the message and the system's
// error number.
struct PeakListFailure {
    std::string message;
    int error = 0;
};

// Writes the file under a temporary name beside `path` and renames it to
// `path` (replacing any file there) when it is complete, so that no part of a
// peak list is ever left under a final name. A file that cannot be opened,
// written, closed or renamed is removed and its failure returned, carrying
// `label`: the files of a run are written on two threads, and the caller
// reports the first failure in record order (reportPeakListFailure ends the
// process), as one thread writing them all would.
[[nodiscard]] std::optional<PeakListFailure> writePeakListFile(const std::string& path, const PeakListFile& header,
                                                               const SpectrumPoints& peaks, const char* label);
[[nodiscard]] std::optional<PeakListFailure> writePeakListFile(const std::string& path, const PeakListFile& header,
                                                               const PeakList& peaks, const char* label);
// Ends the process with the failure's message and system error text.
[[noreturn]] void reportPeakListFailure(const PeakListFailure& failure);
