#include "platform/openformat/param_terms.h"

#include <charconv>
#include <cmath>

std::optional<std::string> attributeValue(std::string_view attributes, std::string_view name) {
    const std::optional<std::string_view> raw = xmlAttribute(attributes, name);
    if (!raw) return std::string();
    return unescapeXml(*raw);
}

std::optional<ParamTerm> readTerm(const XmlTag& tag) {
    ParamTerm term;
    term.user = tag.name == "userParam";
    std::optional<std::string> name = attributeValue(tag.attributes, "name");
    std::optional<std::string> value = attributeValue(tag.attributes, "value");
    if (!name || !value) return std::nullopt;
    term.name = std::move(*name);
    term.value = std::move(*value);
    if (!term.user) {
        std::optional<std::string> accession = attributeValue(tag.attributes, "accession");
        std::optional<std::string> unit = attributeValue(tag.attributes, "unitAccession");
        if (!accession || !unit) return std::nullopt;
        term.accession = std::move(*accession);
        term.unitAccession = std::move(*unit);
    }
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
