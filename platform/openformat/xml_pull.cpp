#include "platform/openformat/xml_pull.h"

#include <array>
#include <charconv>
#include <cstring>

bool XmlPull::next(XmlTag& tag) {
    for (;;) {
        const std::size_t open = text_.find('<', at_);
        if (open == std::string_view::npos) {
            at_ = text_.size();
            return false;
        }
        const std::string_view rest = text_.substr(open);
        std::string_view closer = ">";
        if (rest.starts_with("<!--")) {
            closer = "-->";
        } else if (rest.starts_with("<![CDATA[")) {
            closer = "]]>";
        } else if (rest.starts_with("<?")) {
            closer = "?>";
        }
        const std::size_t close = text_.find(closer, open + 1);
        if (close == std::string_view::npos) {
            at_ = open;
            stalled_ = true;
            return false;
        }
        at_ = close + closer.size();
        if (closer != ">" || rest.starts_with("<!")) continue;

        std::string_view inside = text_.substr(open + 1, close - open - 1);
        tag = XmlTag{};
        tag.begin = open;
        tag.end = at_;
        if (inside.starts_with('/')) {
            tag.closing = true;
            inside.remove_prefix(1);
        } else if (inside.ends_with('/')) {
            tag.empty = true;
            inside.remove_suffix(1);
        }
        std::size_t nameEnd = 0;
        while (nameEnd < inside.size() && !isXmlSpace(inside[nameEnd])) ++nameEnd;
        tag.name = inside.substr(0, nameEnd);
        tag.attributes = inside.substr(nameEnd);
        return true;
    }
}

std::string_view XmlPull::textUpToNextTag() const {
    const std::size_t open = text_.find('<', at_);
    return text_.substr(at_, (open == std::string_view::npos ? text_.size() : open) - at_);
}

std::optional<std::string_view> xmlAttribute(std::string_view attributes, std::string_view name) {
    std::optional<std::string_view> value;
    forEachXmlAttribute(attributes, [&](std::string_view found, std::string_view raw) {
        if (found == name) value = raw;
        return !value;
    });
    return value;
}

namespace {

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::optional<std::string> unescapeXml(std::string_view text) {
    if (text.find('&') == std::string_view::npos) return std::string(text);
    static constexpr std::array<std::pair<std::string_view, char>, 5> entities = {
        {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}}};
    std::string result;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            result += text[i++];
            continue;
        }
        const std::size_t semicolon = text.find(';', i);
        if (semicolon == std::string_view::npos) return std::nullopt;
        const std::string_view reference = text.substr(i, semicolon + 1 - i);
        bool known = false;
        for (const auto& [entity, character] : entities) {
            if (reference == entity) {
                result += character;
                known = true;
                break;
            }
        }
        if (!known) {
            if (!reference.starts_with("&#") || reference.size() < 4) return std::nullopt;
            const bool hex = reference[2] == 'x';
            const std::string_view digits = reference.substr(hex ? 3 : 2, reference.size() - (hex ? 4 : 3));
            std::uint32_t code = 0;
            const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (digits.empty() || error != std::errc() || stop != digits.data() + digits.size() || code > 0x10FFFF) {
                return std::nullopt;
            }
            appendUtf8(result, code);
        }
        i = semicolon + 1;
    }
    return result;
}
