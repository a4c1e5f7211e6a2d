#pragma once
// A small pull parser over XML text already in memory: start and end tags
// one after another, with their attributes. It knows just enough XML for
// the run exports (comments, processing instructions and CDATA are
// skipped whole; entity references are left to `unescapeXml`).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct XmlTag {
    std::string_view name;
    std::string_view attributes;  // the raw text after the name
    bool closing = false;         // </name>
    bool empty = false;           // <name .../>
    std::size_t begin = 0;        // offset of '<'
    std::size_t end = 0;          // one past '>'
};

class XmlPull {
public:
    explicit XmlPull(std::string_view text, std::size_t from = 0) : text_(text), at_(from) {}
    // The next start or end tag; false at the end of the text or when the
    // last tag is not complete (then `stalled()` tells its offset).
    bool next(XmlTag& tag);
    bool stalled() const { return stalled_; }
    std::size_t position() const { return at_; }
    // The character data from the current position up to the next '<'.
    std::string_view textUpToNextTag() const;

private:
    std::string_view text_;
    std::size_t at_;
    bool stalled_ = false;
};

inline bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The raw value of attribute `name`, entity references unresolved.
std::optional<std::string_view> xmlAttribute(std::string_view attributes, std::string_view name);

// Calls `take(name, raw value)` for the attributes in turn, until `take`
// returns false or an attribute is not well formed: the ones xmlAttribute
// would find.
template <class Take>
void forEachXmlAttribute(std::string_view attributes, Take take) {
    std::size_t i = 0;
    const std::size_t size = attributes.size();
    while (i < size) {
        while (i < size && isXmlSpace(attributes[i])) ++i;
        const std::size_t nameBegin = i;
        while (i < size && attributes[i] != '=' && !isXmlSpace(attributes[i])) ++i;
        const std::string_view found = attributes.substr(nameBegin, i - nameBegin);
        while (i < size && isXmlSpace(attributes[i])) ++i;
        if (i >= size || attributes[i] != '=') return;
        ++i;
        while (i < size && isXmlSpace(attributes[i])) ++i;
        if (i >= size || (attributes[i] != '"' && attributes[i] != '\'')) return;
        const std::size_t close = attributes.find(attributes[i], i + 1);
        if (close == std::string_view::npos) return;
        if (!take(found, attributes.substr(i + 1, close - i - 1))) return;
        i = close + 1;
    }
}

// The five predefined entities and character references resolved; nothing
// for any other reference.
std::optional<std::string> unescapeXml(std::string_view text);

