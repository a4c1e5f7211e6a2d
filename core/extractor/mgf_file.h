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

#include "core/extractor/run_peak_list_file.h"
#include "core/peaks/peak_writers.h"
#include "core/util/committed_file.h"

using MgfSpectrum = PeakListSpectrum;  // a charge of 0 is left out

class MgfFile final : public RunPeakListFile {
public:
    // A file that cannot be created takes nothing and is reported by
    // commit(), so that its stage may report it where it would have begun.
    explicit MgfFile(const std::string& path);
    bool created() const override { return !file_.openFailure(); }
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
    void add(const PeakListSpectrum& spectrum, const SpectrumPoints& peaks) override {
        add<SpectrumPoints>(spectrum, peaks);
    }
    std::int64_t spectra() const override { return blocks_; }
    void commit() override;

private:
    void writeHeader(const MgfSpectrum& spectrum);
    void writeEnd();
    [[noreturn]] static void fail(const FileFailure& failure);

    CommittedFile file_;
    std::int64_t blocks_ = 0;
};
