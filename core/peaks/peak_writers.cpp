#include "core/peaks/peak_writers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// "%.Nf" of `value` (N at most 4), rounded as printf rounds: from the exact
// binary value, ties to even. The values of a peak list (not negative, below
// 10^11) are scaled and rounded in integers: the sign of value x 10^N minus
// a candidate, computed exactly by a fused multiply-add, decides the
// rounding. Anything else goes through std::to_chars, which rounds the same
// way at several times the cost.
char* fixedDecimals(char* out, char* last, double value, int decimals) {
    constexpr std::array<double, 5> scales = {1.0, 10.0, 100.0, 1000.0, 10000.0};
    constexpr std::array<std::uint64_t, 5> powers = {1, 10, 100, 1000, 10000};
    if (!(value >= 0.0 && value < 1e11) || std::signbit(value) || decimals < 0 || decimals > 4) {
        return std::to_chars(out, last, value, std::chars_format::fixed, decimals).ptr;
    }
    const double scale = scales[static_cast<std::size_t>(decimals)];
    // A product rounded up to a whole number lay within half a unit in the
    // last place below it, so that number is also where it rounds to.
    double units = std::floor(value * scale);
    const double aboveHalf = std::fma(value, scale, -(units + 0.5));
    if (aboveHalf > 0.0 || (aboveHalf == 0.0 && std::fmod(units, 2.0) != 0.0)) units += 1.0;
    const auto scaled = static_cast<std::uint64_t>(units);
    const std::uint64_t power = powers[static_cast<std::size_t>(decimals)];
    out = std::to_chars(out, last, scaled / power).ptr;
    if (decimals == 0) return out;
    *out++ = '.';
    std::uint64_t fraction = scaled % power;
    for (int d = decimals - 1; d >= 0; --d) {
        out[d] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    return out + decimals;
}

// Every written spectrum goes through here: its lines are formatted in a
// buffer and handed on in large pieces, `flush(data, size)`.
template <class Peaks, class Flush>
void formatLines(const Peaks& list, int mzDecimals, Flush flush) {
    constexpr std::size_t widestLine = 2 + 2 * 330;  // "\n", "\t", two fixed-format doubles
    std::array<char, 1 << 15> buffer;
    char* end = buffer.data();
    char* const last = buffer.data() + buffer.size();
    for (const auto& peak : list) {
        if (static_cast<std::size_t>(last - end) < widestLine) {
            flush(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
            end = buffer.data();
        }
        *end++ = '\n';
        end = fixedDecimals(end, last, peak.mOverZ, mzDecimals);
        *end++ = '\t';
        end = fixedDecimals(end, last, peak.intensity, 0);
    }
    flush(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
}

template <class Peaks>
void writeLines(const Peaks& list, std::FILE* file, int mzDecimals) {
    formatLines(list, mzDecimals, [file](const char* data, std::size_t size) { std::fwrite(data, 1, size, file); });
}

template <class Peaks>
void appendLines(const Peaks& list, int mzDecimals, std::string& text) {
    formatLines(list, mzDecimals, [&text](const char* data, std::size_t size) { text.append(data, size); });
}

}  // namespace

void writePeaks(const PeakList& list, std::FILE* file) { writeLines(list, file, 2); }
void writePeaks(const SpectrumPoints& list, std::FILE* file) { writeLines(list, file, 2); }
void writePeaksFourDecimals(const PeakList& list, std::FILE* file) { writeLines(list, file, 4); }
void writePeaksFourDecimals(const SpectrumPoints& list, std::FILE* file) { writeLines(list, file, 4); }
void appendPeakLines(const PeakList& list, int mzDecimals, std::string& text) { appendLines(list, mzDecimals, text); }
void appendPeakLines(const SpectrumPoints& list, int mzDecimals, std::string& text) {
    appendLines(list, mzDecimals, text);
}
