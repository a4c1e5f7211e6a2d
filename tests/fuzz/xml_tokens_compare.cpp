#include "tests/fuzz/xml_tokens_compare.h"

#include <optional>
#include <vector>

#include "platform/openformat/xml_pull.h"
#include "tests/fuzz/xml_tokens_events.h"

namespace {

struct Ours {
    std::optional<Tokens> tokens;  // nothing when refused
    bool unsupported = false;      // refused for an entity of the document type
};

// The document's end is the end of the text: a construct still open there
// (a stalled pull) is refused.
Ours ourTokens(std::string_view text) {
    Ours result;
    Tokens tokens;
    XmlPull pull(text);
    XmlTag tag;
    std::string decoded;
    int depth = 0;
    while (pull.next(tag)) {
        if (tag.closing) {
            tokens.end(tag.name);
            --depth;
        } else {
            tokens.start(tag.name);
            forEachXmlAttribute(tag.attributes, [&](std::string_view name, std::string_view raw) {
                const std::optional<std::string> value = xmlAttributeValue(raw);
                tokens.attribute(name, value ? *value : "<unreadable>");
                return true;
            });
            ++depth;
            if (tag.empty) {
                tokens.end(tag.name);
                --depth;
            }
        }
        if (depth > 0) tokens.text(pull.text(decoded));
    }
    if (pull.problem()) {
        result.unsupported = pull.problem()->unsupported;
        return result;
    }
    if (!pull.stalled()) result.tokens = std::move(tokens);
    return result;
}

bool hasNonAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') return true;
    }
    return false;
}

}  // namespace

bool xmlComparable(std::string_view text) {
    // A NUL byte is no XML character: libxml2 takes one after the root
    // element for the end of its input and reads the rest as well formed.
    if (text.find('\0') != std::string_view::npos) return false;
    if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0xFE) return false;
    const std::size_t declaration = text.find("encoding");
    if (declaration != std::string_view::npos && hasNonAscii(text)) return false;
    for (const std::string_view word : {"UTF-16", "utf-16", "UCS", "ucs", "EBCDIC", "ebcdic", "SYSTEM", "PUBLIC", "%"}) {
        if (text.find("<!DOCTYPE") != std::string_view::npos && text.find(word) != std::string_view::npos) return false;
        if (word == "ucs" && text.find(word) != std::string_view::npos) return false;
    }
    return text.find("UTF-16") == std::string_view::npos && text.find("utf-16") == std::string_view::npos;
}

std::string xmlTokensDisagreement(std::string_view text, bool strict) {
    const Ours ours = ourTokens(text);
    if (!xmlComparable(text)) return "";
    const std::optional<Tokens> reference = libxmlReading(text);
    if (!reference) {
        return strict && ours.tokens ? "the tokenizer reads a document libxml2 refuses as not well formed" : "";
    }
    if (ours.unsupported) return "";
    if (!ours.tokens) return "the tokenizer refuses a document libxml2 reads as well formed";
    const std::vector<std::string>& mine = ours.tokens->events();
    const std::vector<std::string>& theirs = reference->events();
    if (mine == theirs) return "";
    std::size_t i = 0;
    while (i < mine.size() && i < theirs.size() && mine[i] == theirs[i]) ++i;
    return "event " + std::to_string(i) + " differs:\n  tokenizer: " + (i < mine.size() ? mine[i] : "(none)") +
           "\n  libxml2:   " + (i < theirs.size() ? theirs[i] : "(none)");
}
