#include "core/extractor/mgf_file.h"

#include <cerrno>
#include <cstdio>

#include "core/util/fatal_error.h"
#include "core/util/printable_real.h"
#include "core/util/text_path.h"

namespace {
constexpr const char* kLabel = "Function: writeMgfFile";
}

MgfFile::MgfFile(const std::string& path) : file_(path, kLabel) {}

void MgfFile::fail(const FileFailure& failure) {
    errno = failure.error;
    reportFatalError(failure.message, {failure.file});
}

void MgfFile::writeHeader(const MgfSpectrum& s) {
    // The precursor m/z as computed: search engines match it within a few
    // ppm, which the .pkl header's two decimals do not hold.
    std::FILE* out = file_.stream();
    std::fprintf(out, "BEGIN IONS\nTITLE=%s\nPEPMASS=%.5f %.0f\n", s.title.c_str(), s.parentMz,
                 printableReal(s.precursorIntensity));
    if (s.charge != 0) std::fprintf(out, "CHARGE=%d%c\n", s.charge < 0 ? -s.charge : s.charge, s.charge < 0 ? '-' : '+');
    std::fprintf(out, "SCANS=%d-%d", s.firstScan, s.lastScan);
    if (s.retentionSeconds) std::fprintf(out, "\nRTINSECONDS=%.3f", *s.retentionSeconds);
}

void MgfFile::writeEnd() { std::fputs("\nEND IONS\n", file_.stream()); }

void MgfFile::commit() {
    if (const std::optional<FileFailure>& failure = file_.openFailure()) fail(*failure);
    if (const std::optional<FileFailure> failure = file_.commit()) fail(*failure);
}
