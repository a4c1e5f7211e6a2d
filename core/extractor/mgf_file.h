#pragma once
// The peak lists of a run (or of one sample of a .wiff file) as one MGF file,
// the generic text format today's search engines read: one block per
// spectrum that would have been a .pkl file, in the same order, with the
// same peaks, their m/z with the decimals the .pkl file rounds away. The
// file is a CommittedFile: it takes its name
// only when complete, and a run that fails removes it.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "core/peaks/peak_writers.h"
#include "core/util/committed_file.h"

struct MgfSpectrum {
    std::string title;  // the .pkl file name without its ending
    double parentMz = 0.0;
    double precursorIntensity = 0.0;
    std::int32_t charge = 0;  // left out when 0 (undetermined)
    std::int32_t firstScan = 0;
    std::int32_t lastScan = 0;
    std::optional<double> retentionSeconds;
};

class MgfFile {
public:
    // A file that cannot be created takes nothing and is reported by
    // commit(), so that its stage may report it where it would have begun.
    explicit MgfFile(const std::string& path);
    bool created() const { return !file_.openFailure(); }
    MgfFile(const MgfFile&) = delete;
    MgfFile& operator=(const MgfFile&) = delete;

    template <class Peaks>  // a PeakList or SpectrumPoints
    void add(const MgfSpectrum& spectrum, const Peaks& peaks) {
        if (!created()) return;
        writeHeader(spectrum);
        writeMgfPeakLines(peaks, file_.stream());
        writeEnd();
        ++blocks_;
    }
    std::int64_t blocks() const { return blocks_; }
    // Closes the file and gives it its name; a failed creation, write or
    // close ends the process.
    void commit();

private:
    void writeHeader(const MgfSpectrum& spectrum);
    void writeEnd();
    [[noreturn]] static void fail(const FileFailure& failure);

    CommittedFile file_;
    std::int64_t blocks_ = 0;
};
