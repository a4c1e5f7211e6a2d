#include "platform/openformat/xml_pull.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <tuple>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t npos = std::string_view::npos;
// The longest reference looked for: longer names are refused all the same.
constexpr std::size_t kLongestReference = 256;

bool isXmlCharacter(std::uint32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

std::optional<std::uint32_t> characterReference(std::string_view name) {  // name: "#65" or "#x41"
    const bool hex = name.size() > 1 && name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || stop != digits.data() + digits.size() || !isXmlCharacter(code)) {
        return std::nullopt;
    }
    return code;
}

bool predefinedEntity(std::string_view name) {
    return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
}

bool declaresEntity(std::string_view doctype, std::string_view name) {
    for (std::size_t at = doctype.find("<!ENTITY"); at != npos; at = doctype.find("<!ENTITY", at + 1)) {
        std::size_t i = at + 8;
        while (i < doctype.size() && isXmlSpace(doctype[i])) ++i;
        if (doctype.substr(i).starts_with(name) && i + name.size() < doctype.size() && isXmlSpace(doctype[i + name.size()])) {
            return true;
        }
    }
    return false;
}

// Line ends as XML reads them: CR LF and a lone CR become LF.
void appendLines(std::string& out, std::string_view part) {
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] != '\r') {
            out += part[i];
            continue;
        }
        out += '\n';
        if (i + 1 < part.size() && part[i + 1] == '\n') ++i;
    }
}

enum : unsigned char { kNameStart = 1, kNameChar = 2 };
// XML's name characters; every byte of a multi-byte UTF-8 character counts.
constexpr std::array<unsigned char, 256> kNameChars = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const bool start = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
        const bool rest = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>((start ? kNameStart : 0) | (rest ? kNameChar : 0));
    }
    return table;
}();
bool nameStart(char c) { return (kNameChars[static_cast<unsigned char>(c)] & kNameStart) != 0; }
bool nameChar(char c) { return (kNameChars[static_cast<unsigned char>(c)] & kNameChar) != 0; }

constexpr const char* kNoConstruct = "holds a \"<\" that begins no tag, comment, CDATA section or processing instruction";

// A comment, CDATA section or processing instruction at `open`: which, and
// one past its end (npos when the text ends first, or when it is not well
// formed: a comment holding "--", an instruction without a target).
struct Markup {
    enum Kind { none, comment, cdata, instruction } kind = none;
    std::size_t end = npos;
    bool wellFormed = true;
};

Markup markupAt(std::string_view text, std::size_t open) {
    // Most '<' begin a tag: one look at the next character tells.
    if (open + 1 >= text.size() || (text[open + 1] != '!' && text[open + 1] != '?')) return {};
    if (text[open + 1] == '?') {
        if (open + 2 < text.size() && !nameStart(text[open + 2])) return {Markup::instruction, npos, false};
        const std::size_t close = text.find("?>", open + 2);
        return {Markup::instruction, close == npos ? npos : close + 2};
    }
    if (text.substr(open).starts_with("<!--")) {
        // "--" may stand only in the closing "-->": a comment whose end lost
        // its '>' would otherwise pass over everything up to the next one.
        const std::size_t dashes = text.find("--", open + 4);
        if (dashes == npos || dashes + 2 >= text.size()) return {Markup::comment};
        if (text[dashes + 2] != '>') return {Markup::comment, npos, false};
        return {Markup::comment, dashes + 3};
    }
    if (text.substr(open).starts_with("<![CDATA[")) {
        const std::size_t close = text.find("]]>", open + 9);
        return {Markup::cdata, close == npos ? npos : close + 3};
    }
    return {};
}

void appendCharacterData(std::string& out, std::string_view part) {
    if (part.find_first_of("&\r") == npos) {
        out.append(part);
        return;
    }
    std::string lines;
    appendLines(lines, part);
    const std::optional<std::string> decoded = unescapeXml(lines);
    out += decoded ? *decoded : lines;
}

}  // namespace

bool XmlPull::checkReferences(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to;) {
        const void* hit = std::memchr(text_.data() + i, '&', to - i);
        if (hit == nullptr) return true;
        const std::size_t amp = static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
        const std::size_t window = std::min(to, amp + kLongestReference);
        const void* end = std::memchr(text_.data() + amp, ';', window - amp);
        if (end == nullptr) {
            if (to == text_.size() && window == to) {
                // The reference may end in the text that follows.
                at_ = amp;
                stalled_ = true;
                return false;
            }
            problem_ = XmlProblem{amp, "holds an \"&\" that begins no reference", false};
            return false;
        }
        const std::size_t semicolon = static_cast<std::size_t>(static_cast<const char*>(end) - text_.data());
        const std::string_view name = text_.substr(amp + 1, semicolon - amp - 1);
        const std::string reference = "&" + std::string(name) + ";";
        if (name.starts_with('#')) {
            if (!characterReference(name)) {
                problem_ = XmlProblem{amp, "holds the character reference \"" + reference + "\", which names no character", false};
                return false;
            }
        } else if (!predefinedEntity(name)) {
            if (declaresEntity(doctype_, name)) {
                problem_ = XmlProblem{amp,
                                      "refers to the entity \"" + reference +
                                          "\" of its document type; entities other than XML's five predefined ones are "
                                          "not supported",
                                      true};
            } else {
                problem_ = XmlProblem{amp, "refers to the entity \"" + reference + "\", which it does not declare", false};
            }
            return false;
        }
        i = semicolon + 1;
    }
    return true;
}

std::size_t XmlPull::tagEnd(std::size_t open) {
    const std::size_t size = text_.size();
    const char* data = text_.data();
    std::size_t i = open + 1;
    const bool closing = i < size && data[i] == '/';
    if (closing) ++i;
    if (i >= size) return npos;
    if (!nameStart(data[i])) {
        problem_ = XmlProblem{open, kNoConstruct, false};
        return npos;
    }
    while (++i < size && nameChar(data[i])) {
    }
    const auto malformed = [&] {
        problem_ = XmlProblem{open, "holds a tag that is not well formed", false};
        return npos;
    };
    for (;;) {
        const std::size_t spaceFrom = i;
        while (i < size && isXmlSpace(data[i])) ++i;
        if (i >= size) return npos;
        if (data[i] == '>') return i + 1;
        if (data[i] == '/' && !closing) {
            if (i + 1 >= size) return npos;
            if (data[i + 1] == '>') return i + 2;
        }
        // An attribute: after a space, a name, '=' and a quoted value.
        if (closing || i == spaceFrom || !nameStart(data[i])) return malformed();
        while (++i < size && nameChar(data[i])) {
        }
        while (i < size && isXmlSpace(data[i])) ++i;
        if (i >= size) return npos;
        if (data[i] != '=') return malformed();
        ++i;
        while (i < size && isXmlSpace(data[i])) ++i;
        if (i >= size) return npos;
        if (data[i] != '"' && data[i] != '\'') return malformed();
        const void* close = std::memchr(data + i + 1, data[i], size - i - 1);
        const std::size_t valueEnd = close == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(close) - data);
        // No value holds a '<': a quote lost or added runs into the next tag.
        if (std::memchr(data + i + 1, '<', valueEnd - i - 1) != nullptr) {
            problem_ = XmlProblem{i, "holds a quoted attribute value that does not end before the next \"<\"", false};
            return npos;
        }
        if (close == nullptr) return npos;
        i = valueEnd + 1;
    }
}

std::size_t XmlPull::doctypeEnd(std::size_t open) const {
    const std::size_t size = text_.size();
    bool inSubset = false;
    for (std::size_t i = open + 9; i < size; ++i) {
        const char c = text_[i];
        if (c == '"' || c == '\'') {
            i = text_.find(c, i + 1);
        } else if (inSubset && c == '<' && text_.substr(i).starts_with("<!--")) {
            i = text_.find("-->", i + 4);
            if (i != npos) i += 2;
        } else if (inSubset && c == '<' && text_.substr(i).starts_with("<?")) {
            i = text_.find("?>", i + 2);
            if (i != npos) i += 1;
        } else if (c == '[' && !inSubset) {
            inSubset = true;
        } else if (c == ']' && inSubset) {
            inSubset = false;
        } else if (c == '>' && !inSubset) {
            return i + 1;
        }
        if (i == npos) return npos;
    }
    return npos;
}

bool XmlPull::next(XmlTag& tag) {
    if (problem_ || stalled_) return false;
    for (;;) {
        const std::size_t open = text_.find('<', at_);
        if (!checkReferences(at_, open == npos ? text_.size() : open)) return false;
        if (open == npos) {
            at_ = text_.size();
            return false;
        }
        const std::string_view rest = text_.substr(open);
        // "<!" cut off at the end of the text may begin any of them.
        const bool cutShort = rest.size() < 9 && (std::string_view("<![CDATA[").starts_with(rest) ||
                                                  std::string_view("<!DOCTYPE").starts_with(rest) ||
                                                  std::string_view("<!--").starts_with(rest));
        const Markup passed = cutShort ? Markup{} : markupAt(text_, open);
        std::size_t end = passed.end;
        if (!passed.wellFormed) {
            problem_ = XmlProblem{open, passed.kind == Markup::comment ? "holds a comment with \"--\" inside it" : kNoConstruct, false};
            return false;
        }
        const bool declaration = passed.kind == Markup::none && rest.size() > 1 && rest[1] == '!';
        if (declaration && !cutShort && !rest.starts_with("<!DOCTYPE")) {
            problem_ = XmlProblem{open, kNoConstruct, false};
            return false;
        }
        if (declaration && !cutShort) {
            end = doctypeEnd(open);
            if (end != npos) doctype_ = text_.substr(open, end - open);
        } else if (passed.kind == Markup::none && !cutShort) {
            end = tagEnd(open);
            if (problem_) return false;
        }
        if (end == npos) {
            at_ = open;
            stalled_ = true;
            return false;
        }
        at_ = end;
        if (passed.kind != Markup::none || declaration) continue;
        if (!checkReferences(open, end)) return false;

        std::string_view inside = text_.substr(open + 1, end - open - 2);
        tag = XmlTag{};
        tag.begin = open;
        tag.end = end;
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

std::string_view XmlPull::text(std::string& decoded) const {
    std::size_t open = text_.find('<', at_);
    const std::string_view raw = text_.substr(at_, (open == npos ? text_.size() : open) - at_);
    const bool endsAtTag = open == npos || (open + 1 < text_.size() && text_[open + 1] != '!' && text_[open + 1] != '?');
    if (endsAtTag && raw.find('&') == npos && raw.find('\r') == npos) return raw;
    decoded.clear();
    for (std::size_t i = at_;;) {
        open = text_.find('<', i);
        appendCharacterData(decoded, text_.substr(i, (open == npos ? text_.size() : open) - i));
        if (open == npos) break;
        const Markup passed = markupAt(text_, open);
        if (passed.kind == Markup::none || passed.end == npos || !passed.wellFormed) break;
        if (passed.kind == Markup::cdata) appendLines(decoded, text_.substr(open + 9, passed.end - 3 - open - 9));
        i = passed.end;
    }
    return decoded;
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
            if (digits.empty() || error != std::errc() || stop != digits.data() + digits.size() || !isXmlCharacter(code)) {
                return std::nullopt;
            }
            appendUtf8(result, code);
        }
        i = semicolon + 1;
    }
    return result;
}

std::optional<std::string> xmlAttributeValue(std::string_view raw) {
    // Every parameter of every spectrum passes here: one cheap test a
    // character ('&', tab, line feed and carriage return all lie below '\'').
    const bool plain = std::none_of(raw.begin(), raw.end(), [](char c) {
        return static_cast<unsigned char>(c) <= '&' && (c == '&' || c == '\t' || c == '\n' || c == '\r');
    });
    if (plain) return std::string(raw);
    std::string spaced;
    appendLines(spaced, raw);
    for (char& c : spaced) {
        if (c == '\t' || c == '\n') c = ' ';
    }
    return unescapeXml(spaced);
}

std::string_view keptXmlText(const XmlPull& pull, std::list<std::string>& kept) {
    std::string decoded;
    const std::string_view text = pull.text(decoded);
    if (decoded.empty() || text.data() != decoded.data()) return text;
    return kept.emplace_back(std::move(decoded));
}

const char* xmlConstructName(std::string_view text) {
    if (text.starts_with("<!--")) return "a comment";
    if (text.starts_with("<![CDATA[")) return "a CDATA section";
    if (text.starts_with("<?")) return "a processing instruction";
    if (text.starts_with("<!DOCTYPE")) return "a document type declaration";
    if (text.starts_with("<")) return "a tag";
    if (text.starts_with("&")) return "a reference";
    return "a text";
}

XmlProblem unfinishedXml(std::string_view rest) {
    if (rest.starts_with("<") && !rest.starts_with("<!") && !rest.starts_with("<?")) {
        // Within a tag: is it a quoted value that is open?
        std::size_t quote = npos;
        for (std::size_t i = 1; i < rest.size(); ++i) {
            if (quote != npos && rest[i] == rest[quote]) {
                quote = npos;
            } else if (quote == npos && (rest[i] == '"' || rest[i] == '\'')) {
                quote = i;
            }
        }
        if (quote != npos) return {quote, "holds a quoted attribute value that does not end", false};
    }
    return {0, std::string("holds ") + xmlConstructName(rest) + " that does not end", false};
}
