#pragma once
// The CGI query: QUERY_STRING, or a request body of CONTENT_LENGTH bytes on
// standard input, split into decoded name/value entries in query order.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct QueryEntry {
    std::string name;
    std::string value;  // empty for an entry without "="
};

// Chooses the source and parses it; ends the process when
// neither variable is usable.
std::vector<QueryEntry> query();

// Up to `length` bytes of the stream; fewer when it ends early. Memory grows
// with what arrives, not with what was announced.
std::string read_query_string(std::FILE* stream, std::int64_t length);
std::vector<QueryEntry> parse_query_entry(std::string text);
// The value of the last entry named `name`, the one the programs apply;
// nothing when no entry has that name.
std::optional<std::string> lastQueryValue(const std::vector<QueryEntry>& entries, std::string_view name);
// Every byte but letters, digits, "-._~" and "/" percent-encoded: a query
// name or value, or a path in a URL.
std::string percentEncode(std::string_view text);
// The query text that parse_query_entry reads back as `entries`.
std::string formatQueryString(const std::vector<QueryEntry>& entries);

// Cuts the word before the first `stop` (all of `line` without one) and
// removes it and that one `stop` from `line`.
std::string makeword(std::string& line, char stop);
void replacePlusSigns(std::string& text);
void decodeHexEscapes(std::string& text);
unsigned char hexPairToByte(char first, char second);

// The non-blank lines of a multi-line value, each without one trailing "\r".
std::vector<std::string> get_post_query_string_array(const std::string& text);
