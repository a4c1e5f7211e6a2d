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

// The raw value of attribute `name`, entity references unresolved.
std::optional<std::string_view> xmlAttribute(std::string_view attributes, std::string_view name);

// The five predefined entities and character references resolved; nothing
// for any other reference.
std::optional<std::string> unescapeXml(std::string_view text);

bool isXmlSpace(char c);
