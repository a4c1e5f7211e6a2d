#include "platform/openformat/export_types.h"

#include <charconv>
#include <cmath>

#include "core/util/format_text.h"

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

std::string peakValueProblem(const ExportArrays& arrays) {
    constexpr double kHighestMz = 1e6;
    constexpr double kHighestIntensity = 1e20;
    for (std::size_t i = 0; i < arrays.mz.size(); ++i) {
        const double mz = arrays.mz[i];
        if (!std::isfinite(mz) || mz <= 0.0 || mz > kHighestMz) {
            return formatText("its point %zu has the m/z %g, outside above 0 to 1000000", i + 1, mz);
        }
    }
    for (std::size_t i = 0; i < arrays.intensity.size(); ++i) {
        const double intensity = arrays.intensity[i];
        if (!std::isfinite(intensity) || intensity < 0.0 || intensity > kHighestIntensity) {
            return formatText("its point %zu has the intensity %g, outside 0 to 1e20", i + 1, intensity);
        }
    }
    return {};
}
