#include "wiffharvest/spectrum_label.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// The text between the end of `open` and the first `close` after it;
// nothing when either marker is missing.
std::optional<std::string_view> between(std::string_view label, std::string_view open, std::string_view close) {
    const std::size_t start = label.find(open);
    if (start == std::string_view::npos) return std::nullopt;
    const std::size_t from = start + open.size();
    const std::size_t end = label.find(close);
    if (end == std::string_view::npos || end < from) return std::nullopt;
    return label.substr(from, end - from);
}

// The leading number of the text, as "%lf" reads it; 0 when none.
double leadingNumber(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() ? 0.0 : value;
}

std::int32_t chargeDigit(std::string_view label) {
    constexpr std::string_view marker = "Charge (+";
    const std::size_t at = label.find(marker);
    if (at == std::string_view::npos || at + marker.size() >= label.size()) return 0;
    const char digit = label[at + marker.size()];
    return digit >= '0' && digit <= '9' ? digit - '0' : 0;
}

double precursorMz(std::string_view label) {
    const std::optional<std::string_view> text = between(label, "(", ")");
    if (!text) return 0.0;
    if (*text == "N/A") return 0.0;
    if (text->empty()) return 0.47;
    return leadingNumber(*text);
}

}  // namespace

void parseSpectrumLabel(std::string_view label, SciexMSscan& scan, bool isMALDI) {
    std::int32_t charge = 0;
    double collisionEnergy = 0.0;
    if (scan.scanType == 9) {
        charge = isMALDI ? 1 : 0;
    } else {
        charge = chargeDigit(label);
        if (const std::optional<std::string_view> energy = between(label, "CE (", "):")) {
            collisionEnergy = leadingNumber(*energy);
        }
    }
    scan.selectedParentMz = scan.parentMz = precursorMz(label);
    scan.setCharge(charge, ChargeSource::instrument);
    scan.chargePending = charge == 0;
    scan.precursorIntensity = 100.0;
    scan.collisionEnergy = collisionEnergy;
}
