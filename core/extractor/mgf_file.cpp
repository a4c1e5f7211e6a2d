#include "core/extractor/mgf_file.h"

#include <cstdio>

#include "core/util/checked_file.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"
#include "core/util/printable_real.h"
#include "core/util/text_path.h"

namespace {
constexpr const char* kLabel = "Function: writeMgfFile";
}

MgfFile::MgfFile(std::string path)
    : path_(std::move(path)), partPath_(path_ + ".part"), file_(openTextFile(partPath_, "w", kLabel)) {}

MgfFile::~MgfFile() {
    if (file_ == nullptr) return;
    std::fclose(file_);
    std::remove(partPath_.c_str());
}

void MgfFile::writeHeader(const MgfSpectrum& s) {
    // The precursor m/z as computed: search engines match it within a few
    // ppm, which the .pkl header's two decimals do not hold.
    std::fprintf(file_, "BEGIN IONS\nTITLE=%s\nPEPMASS=%.5f %.0f\n", s.title.c_str(), s.parentMz,
                 printableReal(s.precursorIntensity));
    if (s.charge != 0) std::fprintf(file_, "CHARGE=%d%c\n", s.charge < 0 ? -s.charge : s.charge, s.charge < 0 ? '-' : '+');
    std::fprintf(file_, "SCANS=%d-%d", s.firstScan, s.lastScan);
    if (s.retentionSeconds) std::fprintf(file_, "\nRTINSECONDS=%.3f", *s.retentionSeconds);
}

void MgfFile::writeEnd() { std::fputs("\nEND IONS\n", file_); }

void MgfFile::commit() {
    const bool failed = std::ferror(file_) != 0;
    std::FILE* file = file_;
    file_ = nullptr;
    closeFile(file, kLabel);
    if (failed) reportFatalError(formatText("File write (fwrite) failure.\n%s\nFilename = %s.\n", kLabel, partPath_.c_str()));
    if (std::rename(partPath_.c_str(), path_.c_str()) != 0) {
        reportFatalError(formatText("File rename (rename) failure.\n%s\nFilename = %s.\n", kLabel, path_.c_str()));
    }
}

std::optional<PeakListFormats> peakListFormats(const std::string& value) {
    if (equalsIgnoringCase(value, "pkl")) return PeakListFormats{true, false};
    if (equalsIgnoringCase(value, "mgf")) return PeakListFormats{false, true};
    if (equalsIgnoringCase(value, "both")) return PeakListFormats{true, true};
    return std::nullopt;
}
