#pragma once
// The events of an XML document as the xml_tokens target compares them,
// and libxml2's reading of it (in a file of its own: libxml2's names and
// the reader's tokenizer's clash).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Start, attribute, end and text events, one line each; adjacent text
// runs joined, as comments and CDATA sections split them differently.
class Tokens {
public:
    void start(std::string_view name) { add("S ", name); }
    void attribute(std::string_view name, std::string_view value) { add("A ", std::string(name) + "=" + std::string(value)); }
    void end(std::string_view name) { add("E ", name); }
    void text(std::string_view characters) {
        if (characters.empty()) return;
        if (!events_.empty() && events_.back().starts_with("T ")) {
            events_.back() += characters;
        } else {
            add("T ", characters);
        }
    }
    const std::vector<std::string>& events() const { return events_; }

private:
    void add(const char* kind, std::string_view what) { events_.push_back(kind + std::string(what)); }
    std::vector<std::string> events_;
};

// libxml2's events, or nothing when it finds the document not well formed.
// It never loads anything from outside the bytes.
std::optional<Tokens> libxmlReading(std::string_view text);
