#pragma once
// A small pull parser over XML text already in memory: start and end tags
// one after another, with their attributes. It reads every construct of
// XML 1.0 a document may hold: quoted attribute values may hold '>';
// comments, processing instructions and CDATA sections may stand anywhere
// and are passed over in the tag stream; a document type declaration is
// skipped whole, internal subset included, and nothing it declares is
// used. References in text and attribute values are checked as the tags
// pass: the five predefined entities and character references are read,
// any other entity is refused (see `problem`). Nothing outside the text is
// ever opened.
#include <cstddef>
#include <list>
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

// Why the text cannot be read, at which offset into it. `unsupported`: the
// text is well formed but refers to an entity its document type declares.
struct XmlProblem {
    std::size_t offset = 0;
    std::string what;  // worded to follow "it "
    bool unsupported = false;
};

class XmlPull {
public:
    // `doctype`: the document type declaration met in earlier text of the
    // same document, if any; it tells a declared entity from an undeclared one.
    explicit XmlPull(std::string_view text, std::size_t from = 0, std::string_view doctype = {})
        : text_(text), at_(from), doctype_(doctype) {}
    // The next start or end tag; false at the end of the text, when the
    // last construct is not complete (then `stalled()` tells its offset: the
    // text that follows may complete it) or when the text is not XML (then
    // `problem()` says why: a '<' that begins no construct, a tag that is not
    // well formed or whose quoted value runs into a '<', a comment holding
    // "--", a reference to an unknown entity).
    bool next(XmlTag& tag);
    bool stalled() const { return stalled_; }
    std::size_t position() const { return at_; }
    const std::optional<XmlProblem>& problem() const { return problem_; }
    // The last document type declaration passed (or the one given).
    std::string_view doctype() const { return doctype_; }
    // The character data from the current position up to the next start or
    // end tag, as XML reads them: comments and processing instructions left
    // out, CDATA sections' content as it stands, references decoded, line
    // ends as line feeds. A view of the text itself when it needs none of
    // that (the usual case), else of `decoded`.
    std::string_view text(std::string& decoded) const;

private:
    bool checkReferences(std::size_t from, std::size_t to);
    // One past the end of the tag opened at `open`; npos when the text ends
    // first, or (with `problem_` set) when it is not a well-formed tag.
    std::size_t tagEnd(std::size_t open);
    // One past the end of the document type declaration at `open`, or npos
    // when the text ends first.
    std::size_t doctypeEnd(std::size_t open) const;

    std::string_view text_;
    std::size_t at_;
    std::string_view doctype_;
    bool stalled_ = false;
    std::optional<XmlProblem> problem_;
};

// What the construct at the start of `text` is: "a comment", "a tag", ...
const char* xmlConstructName(std::string_view text);
// The construct open at the start of `rest`, a document's last text, which
// ends before it does: where (an offset into `rest`) and what.
XmlProblem unfinishedXml(std::string_view rest);

// `pull.text`, kept in `kept` when it had to be decoded.
std::string_view keptXmlText(const XmlPull& pull, std::list<std::string>& kept);

inline bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The raw value of attribute `name`, references unresolved.
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

// An attribute's raw value as XML reads it: references resolved, each
// line end, tab or line feed a space. Nothing for an unknown reference.
std::optional<std::string> xmlAttributeValue(std::string_view raw);
