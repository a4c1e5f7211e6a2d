#include "core/extractor/peak_list_file.h"

#include <cstdio>

#include "core/peaks/peak_writers.h"
#include "core/util/checked_file.h"
#include "core/util/printable_real.h"

namespace {
template <class Peaks>
void writeFile(const std::string& path, const PeakListFile& header, const Peaks& peaks, const char* label) {
    std::FILE* file = openTextFile(path, "w", label);
    std::fprintf(file, "%0.2f\t%.0f\t%d", header.parentMz, printableReal(header.precursorIntensity), header.charge);
    if (header.mzDecimals == 4) {
        writePeaksFourDecimals(peaks, file);
    } else {
        writePeaks(peaks, file);
    }
    closeFile(file, label);
}
}  // namespace

void writePeakListFile(const std::string& path, const PeakListFile& header, const SpectrumPoints& peaks,
                       const char* label) {
    writeFile(path, header, peaks, label);
}

void writePeakListFile(const std::string& path, const PeakListFile& header, const PeakList& peaks,
                       const char* label) {
    writeFile(path, header, peaks, label);
}
