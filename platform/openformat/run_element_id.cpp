#include "platform/openformat/run_element_id.h"

#include <zlib.h>

#include <array>

namespace {

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The five predefined entities; anything else is kept as written.
std::string unescape(std::string_view value) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> entities = {
        {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}}};
    std::string result;
    for (std::size_t i = 0; i < value.size();) {
        bool replaced = false;
        for (const auto& [entity, character] : entities) {
            if (value.substr(i, entity.size()) == entity) {
                result += character;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) result += value[i++];
    }
    return result;
}

std::optional<std::string> idAttribute(std::string_view tag) {
    for (std::size_t at = tag.find("id"); at != std::string_view::npos; at = tag.find("id", at + 2)) {
        if (at == 0 || !isXmlSpace(tag[at - 1])) continue;
        std::size_t i = at + 2;
        while (i < tag.size() && isXmlSpace(tag[i])) ++i;
        if (i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && isXmlSpace(tag[i])) ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\'')) continue;
        const std::size_t close = tag.find(tag[i], i + 1);
        if (close == std::string_view::npos) return std::nullopt;
        return unescape(tag.substr(i + 1, close - i - 1));
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> findRunElementId(std::string_view text) {
    const std::size_t spectra = text.find("<spectrumList");
    for (std::size_t at = text.find("<run"); at != std::string_view::npos && at < spectra;
         at = text.find("<run", at + 4)) {
        const std::size_t nameEnd = at + 4;
        if (nameEnd >= text.size()) return std::nullopt;
        if (!isXmlSpace(text[nameEnd]) && text[nameEnd] != '>' && text[nameEnd] != '/') continue;
        const std::size_t close = text.find('>', nameEnd);
        if (close == std::string_view::npos) return std::nullopt;
        return idAttribute(text.substr(nameEnd, close - nameEnd));
    }
    return std::nullopt;
}

std::optional<std::string> readRunElementId(const std::string& path) {
    // zlib reads plain files unchanged.
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) return std::nullopt;
    std::string text;
    std::array<char, 1 << 16> block{};
    std::optional<std::string> id;
    int got = 0;
    while ((got = gzread(file, block.data(), static_cast<unsigned>(block.size()))) > 0) {
        text.append(block.data(), static_cast<std::size_t>(got));
        if ((id = findRunElementId(text))) break;
        if (text.find("<spectrumList") != std::string::npos) break;
    }
    gzclose(file);
    return id;
}
