#include "platform/analyst/scan_values.h"

#include <cmath>
#include <limits>
#include <optional>

#include "core/util/format_text.h"
#include "platform/analyst/instrument_family.h"

namespace {

// A code beyond the 16 bits the object model reports is not one it could
// have reported: wrapping it would re-type the experiment without a word.
std::optional<std::int16_t> decimalCode(std::string_view text) {
    const std::string_view written = text;
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    constexpr std::int64_t lowest = std::numeric_limits<std::int16_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int16_t>::max();
    std::int64_t value = 0;
    for (const char digit : text) {
        value = value * 10 + (digit - '0');
        if (value > highest + 1) break;
    }
    if (negative) value = -value;
    if (value < lowest || value > highest) {
        throw ValueOutOfRange(formatText("its scan type code %.*s lies beyond the %lld to %lld of the object model's "
                                         "16-bit codes",
                                         static_cast<int>(written.size()), written.data(), static_cast<long long>(lowest),
                                         static_cast<long long>(highest)));
    }
    return static_cast<std::int16_t>(value);
}

std::int16_t codeOfLevel(std::int32_t msLevel, InstrumentFamily family) {
    if (msLevel >= 3) return 13;
    return msLevel == 2 ? productScanTypeCode(family) : surveyScanTypeCode(family);
}

}  // namespace

InstrumentModel instrumentModel(const std::vector<std::string>& modelNames) {
    for (const std::string& name : modelNames) {
        if (name.find("QSTAR") != std::string::npos) return {qstarModelCode, name};
        if (name.find("4000 QTRAP") != std::string::npos) return {qtrap4000ModelCode, name};
        if (name.find("QTRAP") != std::string::npos) return {otherQtrapModelCode, name};
    }
    return {0, modelNames.empty() ? std::string() : modelNames.front()};
}

std::int16_t scanTypeCode(const ExportSpectrum& spectrum, std::int32_t modelCode) {
    if (spectrum.scanTypeCode) {
        if (const std::optional<std::int16_t> code = decimalCode(*spectrum.scanTypeCode)) return *code;
    }
    switch (spectrum.type) {
        case ExportSpectrumType::precursorIon: return 5;
        case ExportSpectrumType::constantNeutralLoss: return 7;
        case ExportSpectrumType::srm: return 4;
        case ExportSpectrumType::sim: return 1;
        case ExportSpectrumType::other: break;
    }
    return codeOfLevel(effectiveMsLevel(spectrum), instrumentTypeFromModelCode(modelCode));
}

std::string scanDescription(const ExportSpectrum& spectrum) {
    if (effectiveMsLevel(spectrum) < 2) return "TOF MS";
    if (spectrum.precursors.empty()) return "Product (N/A) CE (0)";
    const ExportPrecursor& precursor = spectrum.precursors.front();
    const std::optional<double> mz = precursor.selectedIonMz ? precursor.selectedIonMz : precursor.isolationTargetMz;
    std::string text = "Product (" + (mz ? formatText("%.4f", *mz) : std::string("N/A")) + ") CE (" +
                       formatText("%g", precursor.collisionEnergy) + ")";
    if (precursor.chargeState) {
        if (const std::optional<double> charge = numberInText(*precursor.chargeState)) {
            // Held as the object model's 32-bit charge; beyond it no charge
            // is meant, and a clamped one would be read as a real one.
            constexpr double lowest = std::numeric_limits<std::int32_t>::min();
            constexpr double highest = std::numeric_limits<std::int32_t>::max();
            const double rounded = std::round(*charge);
            if (!(rounded >= lowest && rounded <= highest)) {
                throw ValueOutOfRange(formatText("its charge state %s lies beyond the 32-bit charges of the object model",
                                                 precursor.chargeState->c_str()));
            }
            text += formatText(": Charge (+%d)", static_cast<std::int32_t>(rounded));
        }
    }
    return text;
}
