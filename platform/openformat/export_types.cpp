#include "platform/openformat/export_types.h"

#include <charconv>
#include <cmath>

std::int32_t effectiveMsLevel(const ExportSpectrum& spectrum) {
    if (spectrum.msLevel > 0) return spectrum.msLevel;
    return spectrum.isMs1Spectrum ? 1 : 2;
}

std::optional<double> numberInText(std::string_view text) {
    double number = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number, std::chars_format::general);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(number)) return std::nullopt;
    return number;
}
