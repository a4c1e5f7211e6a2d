#include "core/peaks/peak_writers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

// "%.Nf" of `value` (N at most 5), rounded as printf rounds: from the exact
// binary value, ties to even. A value of a peak list (not negative, below
// 10^11) is an integer mantissa times a power of two, so value x 10^N is
// the mantissa times 10^N, an integer of at most 70 bits, shifted: its
// rounding is decided on the bits shifted out. Anything else goes through
// std::to_chars, which rounds the same way at several times the cost.
__extension__ using Wide = unsigned __int128;  // a mantissa times 10^5 needs 70 bits

constexpr std::array<std::uint64_t, 6> kPowers = {1, 10, 100, 1000, 10000, 100000};

// value x 10^decimals rounded to a whole number; nothing for a value off
// the fast path.
std::optional<std::uint64_t> roundedUnits(double value, int decimals) {
    if (!(value >= 0.0 && value < 1e11) || std::signbit(value) || decimals < 0 || decimals > 5) return std::nullopt;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased = static_cast<int>(bits >> 52);
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (biased != 0 ? std::uint64_t{1} << 52 : 0);
    const int shift = 1075 - std::max(biased, 1);  // value = mantissa / 2^shift
    const std::uint64_t power = kPowers[static_cast<std::size_t>(decimals)];
    const Wide product = static_cast<Wide>(mantissa) * power;
    std::uint64_t units = 0;
    if (shift <= 0) {
        units = static_cast<std::uint64_t>(product << -shift);  // a whole number below 10^15
    } else if (shift < 127) {
        const Wide half = static_cast<Wide>(1) << (shift - 1);
        const Wide rest = product & ((half << 1) - 1);
        units = static_cast<std::uint64_t>(product >> shift);
        if (rest > half || (rest == half && (units & 1) != 0)) ++units;
    }
    return units;
}

char* fixedDecimals(char* out, char* last, double value, int decimals) {
    const std::optional<std::uint64_t> rounded = roundedUnits(value, decimals);
    if (!rounded) return std::to_chars(out, last, value, std::chars_format::fixed, decimals).ptr;
    const std::uint64_t units = *rounded;
    const std::uint64_t power = kPowers[static_cast<std::size_t>(decimals)];
    out = std::to_chars(out, last, units / power).ptr;
    if (decimals == 0) return out;
    *out++ = '.';
    std::uint64_t fraction = units % power;
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

// MGF peak lines are read by search engines, which match fragments of
// high-resolution MS/MS within a few ppm: five decimals of m/z. Intensities
// stay whole, as in the .pkl file: Comet, given their decimals, lost
// confident identifications on an ion-trap run whose peaks are mostly below 10.
template <class Peaks>
void writeMgfLines(const Peaks& list, std::FILE* file) {
    formatLines(list, 5, [file](const char* data, std::size_t size) { std::fwrite(data, 1, size, file); });
}

template <class Peaks>
void appendLines(const Peaks& list, int mzDecimals, std::string& text) {
    formatLines(list, mzDecimals, [&text](const char* data, std::size_t size) { text.append(data, size); });
}

}  // namespace

void writeMgfPeakLines(const PeakList& list, std::FILE* file) { writeMgfLines(list, file); }
void writeMgfPeakLines(const SpectrumPoints& list, std::FILE* file) { writeMgfLines(list, file); }
void appendPeakLines(const PeakList& list, int mzDecimals, std::string& text) { appendLines(list, mzDecimals, text); }
void appendPeakLines(const SpectrumPoints& list, int mzDecimals, std::string& text) {
    appendLines(list, mzDecimals, text);
}

double writtenValue(double value, int decimals) {
    // Both whole numbers below 2^53 are exact, and their quotient is rounded
    // to the nearest double, as a reader rounds the decimal text.
    if (const std::optional<std::uint64_t> units = roundedUnits(value, decimals);
        units && *units <= (std::uint64_t{1} << 53)) {
        return static_cast<double>(*units) / static_cast<double>(kPowers[static_cast<std::size_t>(decimals)]);
    }
    std::array<char, 400> text;
    char* const end = fixedDecimals(text.data(), text.data() + text.size(), value, decimals);
    double read = value;
    std::from_chars(text.data(), end, read);
    return read;
}
