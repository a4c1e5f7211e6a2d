#include "core/peaks/peak_writers.h"

#include <array>
#include <charconv>

namespace {

// Every written spectrum goes through here, so the lines are formatted with
// std::to_chars, which rounds exactly as printf's "%.Nf" does (from the exact
// binary value, ties to even) at a fraction of its cost.
template <class Peaks>
void writeLines(const Peaks& list, std::FILE* file, int mzDecimals) {
    constexpr std::size_t widestLine = 2 + 2 * 330;  // "\n", "\t", two fixed-format doubles
    std::array<char, 1 << 15> buffer;
    char* end = buffer.data();
    char* const last = buffer.data() + buffer.size();
    for (const auto& peak : list) {
        if (static_cast<std::size_t>(last - end) < widestLine) {
            std::fwrite(buffer.data(), 1, static_cast<std::size_t>(end - buffer.data()), file);
            end = buffer.data();
        }
        *end++ = '\n';
        end = std::to_chars(end, last, peak.mOverZ, std::chars_format::fixed, mzDecimals).ptr;
        *end++ = '\t';
        end = std::to_chars(end, last, peak.intensity, std::chars_format::fixed, 0).ptr;
    }
    std::fwrite(buffer.data(), 1, static_cast<std::size_t>(end - buffer.data()), file);
}

}  // namespace

void writePeaks(const PeakList& list, std::FILE* file) { writeLines(list, file, 2); }
void writePeaks(const SpectrumPoints& list, std::FILE* file) { writeLines(list, file, 2); }
void writePeaksFourDecimals(const PeakList& list, std::FILE* file) { writeLines(list, file, 4); }
void writePeaksFourDecimals(const SpectrumPoints& list, std::FILE* file) { writeLines(list, file, 4); }
