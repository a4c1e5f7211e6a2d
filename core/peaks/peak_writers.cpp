#include "core/peaks/peak_writers.h"

int writePeaks(const PeakList& list, std::FILE* file) {
    for (const KestranePeak& peak : list) std::fprintf(file, "\n%.2f\t%.0f", peak.mOverZ, peak.intensity);
    return 0;
}

int writePeaksFourDecimals(const PeakList& list, std::FILE* file) {
    for (const KestranePeak& peak : list) std::fprintf(file, "\n%.4f\t%.0f", peak.mOverZ, peak.intensity);
    return 0;
}
