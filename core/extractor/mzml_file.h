#pragma once
// The peak lists of a run (or of one sample of a .wiff file) as one indexed
// mzML 1.1 file, for the tools that read processed spectra as mzML (OpenMS,
// msconvert's readers, the search engines) and keep what an MGF file cannot:
// the source's native ids, its checksum and instrument, and the processing.
// It holds the spectra the MGF file holds, in its order, with the very
// values the MGF file states (m/z of five decimals and whole intensities as
// 64-bit numbers, the precursor's m/z, established charge and intensity,
// the retention time), so that a search gives the same answers from either.
// Terms are those of the PSI-MS vocabulary.
//
// The spectra are written as they come. What is known only at the end (the
// spectrum count, the source's checksum, which is computed on a thread of
// its own meanwhile) has room kept for it in the head and is filled in by
// commit(), which then reads the file back for its own checksum. The file
// is a CommittedFile: it takes its name only when complete.
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/extractor/run_peak_list_file.h"
#include "core/util/committed_file.h"

class MzmlFile final : public RunPeakListFile {
public:
    MzmlFile(const std::string& path, const PeakListOutput& output);
    ~MzmlFile() override;
    MzmlFile(const MzmlFile&) = delete;
    MzmlFile& operator=(const MzmlFile&) = delete;

    bool created() const override { return !file_.openFailure(); }
    void add(const PeakListSpectrum& spectrum, const SpectrumPoints& peaks) override;
    std::int64_t spectra() const override { return static_cast<std::int64_t>(index_.size()); }
    void commit() override;

private:
    void write(const std::string& text);
    std::string spectrumId(const PeakListSpectrum& spectrum, const std::string& nativeId);

    CommittedFile file_;
    std::string path_;
    PeakListSource source_;
    std::future<std::optional<std::string>> sourceSha1_;
    std::uint64_t written_ = 0;
    std::uint64_t countAt_ = 0;       // where the spectrum count's room begins
    std::uint64_t sourceSha1At_ = 0;  // where the source checksum's room begins; 0 without a source
    std::vector<std::pair<std::string, std::uint64_t>> index_;  // id and offset of each spectrum
    std::unordered_set<std::string> ids_;
    std::string text_;  // of one spectrum, kept for its room
};

// Base64 of `size` bytes (RFC 4648, with padding), appended to `text`.
void appendBase64(const unsigned char* bytes, std::size_t size, std::string& text);
// `text` as XML character data or attribute value: markup and line ends as
// references, control characters XML cannot hold and bytes that are no
// UTF-8 as U+FFFD.
std::string xmlText(std::string_view text);
