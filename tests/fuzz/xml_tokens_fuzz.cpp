// The reader's hand-written XML tokenizer against libxml2 on the same bytes:
// where libxml2 reads a document as well formed, the tokenizer must give
// the same elements, attributes (their values decoded) and character data
// inside the root element, or refuse an entity of the document type, which
// the reader does not support. Where libxml2 refuses, the tokenizer may read
// on (the reader's own checks judge the content), but must not crash.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/openformat/xml_pull.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/xml_tokens_events.h"

namespace {

struct Ours {
    std::optional<Tokens> tokens;  // nothing when refused
    bool unsupported = false;      // refused for an entity of the document type
};

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

// libxml2 converts other encodings to UTF-8 and follows external
// subsets' declarations; the reader reads exports as UTF-8 without them.
// Documents that could name an external resource are not given to libxml2.
bool comparable(std::string_view text) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzInitialise();
    const std::string_view text = asText(data, size);
    const Ours ours = ourTokens(text);
    if (!comparable(text)) return 0;
    const std::optional<Tokens> reference = libxmlReading(text);
    if (!reference || ours.unsupported) return 0;
    if (!ours.tokens) {
        std::fprintf(stderr, "the tokenizer refuses a document libxml2 reads as well formed\n");
        std::abort();
    }
    const std::vector<std::string>& mine = ours.tokens->events();
    const std::vector<std::string>& theirs = reference->events();
    if (mine != theirs) {
        std::size_t i = 0;
        while (i < mine.size() && i < theirs.size() && mine[i] == theirs[i]) ++i;
        std::fprintf(stderr, "event %zu differs:\n  tokenizer: %s\n  libxml2:   %s\n", i,
                     i < mine.size() ? mine[i].c_str() : "(none)", i < theirs.size() ? theirs[i].c_str() : "(none)");
        std::abort();
    }
    return 0;
}
