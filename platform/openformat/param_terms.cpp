#include "platform/openformat/param_terms.h"

#include <array>
#include <charconv>
#include <cmath>

std::optional<std::string> attributeValue(std::string_view attributes, std::string_view name) {
    const std::optional<std::string_view> raw = xmlAttribute(attributes, name);
    if (!raw) return std::string();
    return xmlAttributeValue(*raw);
}

std::optional<ParamTerm> readTerm(const XmlTag& tag) {
    ParamTerm term;
    term.user = tag.name == "userParam";
    // Every spectrum holds a score of terms: their attributes are walked
    // once, each taken where attributeValue would find it.
    enum { name, value, accession, unit, wanted };
    std::array<std::optional<std::string_view>, wanted> raw;
    forEachXmlAttribute(tag.attributes, [&](std::string_view found, std::string_view text) {
        std::optional<std::string_view>* slot = found == "name"    ? &raw[name]
                                                : found == "value" ? &raw[value]
                                                : term.user        ? nullptr
                                                : found == "accession"     ? &raw[accession]
                                                : found == "unitAccession" ? &raw[unit]
                                                                           : nullptr;
        if (slot != nullptr && !*slot) *slot = text;
        return true;
    });
    // An attribute that is not there is "", one whose references cannot be
    // resolved makes the term unreadable.
    const auto resolved = [&](int which, std::string& into) {
        if (!raw[which]) return true;
        std::optional<std::string> text = xmlAttributeValue(*raw[which]);
        if (!text) return false;
        into = std::move(*text);
        return true;
    };
    if (!resolved(name, term.name) || !resolved(value, term.value)) return std::nullopt;
    if (!term.user && (!resolved(accession, term.accession) || !resolved(unit, term.unitAccession))) return std::nullopt;
    return term;
}

std::optional<double> numberValue(std::string_view text) {
    while (!text.empty() && isXmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isXmlSpace(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || error != std::errc() || stop != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string retentionTimeProblem(double seconds) {
    constexpr double kTenDays = 10 * 24 * 3600.0;
    if (!std::isfinite(seconds)) return "not finite";
    if (seconds < 0.0) return "negative";
    if (seconds > kTenDays) return "beyond ten days, longer than any run";
    return {};
}
