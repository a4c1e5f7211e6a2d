#pragma once
// The .pkl peak-list file of one written spectrum or merged group: a header
// line "<precursor m/z>\t<precursor intensity>\t<charge>", then one line per
// peak, no line feed at the end.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "core/peaks/spectrum_points.h"
#include "core/util/committed_file.h"

struct PeakListFile {
    double parentMz = 0.0;
    double precursorIntensity = 0.0;
    std::int32_t charge = 0;  // 0 when undetermined
    int mzDecimals = 2;       // 2, or 4 for QSTAR peak lines
};

// A peak-list file that could not be made.
using PeakListFailure = FileFailure;

// Writes the file as a CommittedFile: no part of a peak list is ever left
// under a final name. A file that cannot be opened, written, closed or
// renamed is removed and its failure returned, carrying `label`.
[[nodiscard]] std::optional<PeakListFailure> writePeakListFile(const std::string& path, const PeakListFile& header,
                                                               const SpectrumPoints& peaks, const char* label);
[[nodiscard]] std::optional<PeakListFailure> writePeakListFile(const std::string& path, const PeakListFile& header,
                                                               const PeakList& peaks, const char* label);

// What making one record's file came to: nothing made, made at a path, or
// a failure.
struct PeakListOutcome {
    std::optional<std::string> madePath;
    std::optional<PeakListFailure> failure;
};

// The .pkl files of a run are made on two threads, out of record order, but
// what a run leaves must be what one thread making them in turn leaves: the
// files of the records before a failure, and the failure reported. So each
// outcome is accepted in record order; after a failure, no further file is
// made and those made meanwhile are removed.
class OrderedPeakListFiles {
public:
    // Either thread: makes the file unless a failure came before.
    template <class Peaks>
    PeakListOutcome make(const std::string& path, const PeakListFile& header, const Peaks& peaks, const char* label) {
        if (failed_) return {};
        PeakListOutcome outcome;
        outcome.failure = writePeakListFile(path, header, peaks, label);
        if (!outcome.failure) outcome.madePath = path;
        return outcome;
    }
    // In record order: whether the record's file (if any) stands, so that
    // what goes with it may be written.
    bool accept(PeakListOutcome outcome);
    // Ends the process with the first failure, if there was one.
    void reportFailure() const;

private:
    std::atomic<bool> failed_ = false;
    std::optional<PeakListFailure> failure_;
};
