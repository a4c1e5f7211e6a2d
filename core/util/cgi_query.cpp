#include "core/util/cgi_query.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/util/checked_file.h"
#include "core/util/checked_memory.h"
#include "core/util/fatal_error.h"
#include "core/util/number_text.h"
#include "core/util/text_path.h"
#include "core/util/tokenizer.h"

namespace {

bool isSetAndNotEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// Texts from the query are C strings in the browser's world: a decoded or
// posted NUL ends them.
void cutAtNul(std::string& text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
}

QueryEntry decodeEntry(std::string entry) {
    replacePlusSigns(entry);
    decodeHexEscapes(entry);
    cutAtNul(entry);
    QueryEntry decoded;
    decoded.name = makeword(entry, '=');
    decoded.value = std::move(entry);
    return decoded;
}

}  // namespace

std::vector<QueryEntry> query() {
    std::string text;
    if (isSetAndNotEmpty("QUERY_STRING")) {
        text = getEnvironmentVariable("QUERY_STRING", "Function: query.");
    } else if (isSetAndNotEmpty("CONTENT_LENGTH")) {
        const std::int32_t length = textToInteger(getEnvironmentVariable("CONTENT_LENGTH", "Function: query."));
        text = read_query_string(stdin, length);
    } else {
        reportFatalError(
            "Neither of the environment variables QUERY_STRING or CONTENT_LENGTH has been defined.\n"
            "Function: query.\n");
    }
    return parse_query_entry(std::move(text));
}

std::string read_query_string(std::FILE* stream, std::int64_t length) {
    if (length < 0) reportAllocationFailure(length + 1, "Function: read_query_string");
    std::string text;
    constexpr std::size_t chunk = 1 << 16;
    std::int64_t remaining = length;
    while (remaining > 0) {
        const std::size_t want = remaining < static_cast<std::int64_t>(chunk) ? static_cast<std::size_t>(remaining) : chunk;
        const std::size_t had = text.size();
        try {
            text.resize(had + want);
        } catch (const std::exception&) {
            reportAllocationFailure(length + 1, "Function: read_query_string");
        }
        const std::size_t got = std::fread(text.data() + had, 1, want, stream);
        text.resize(had + got);
        if (got < want) break;
        remaining -= static_cast<std::int64_t>(got);
    }
    return text;
}

std::vector<QueryEntry> parse_query_entry(std::string text) {
    cutAtNul(text);
    // The separator is whichever of "&" and ";" comes first; "&" when neither does.
    const std::size_t firstAmpersand = std::min(text.find('&'), text.size());
    const std::size_t firstSemicolon = std::min(text.find(';'), text.size());
    const char separator = firstAmpersand > firstSemicolon ? ';' : '&';

    std::vector<QueryEntry> entries;
    reserveChecked(entries, 128, "Function: parse_query_entry");
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        if (entries.size() == entries.capacity()) {
            reserveChecked(entries, entries.capacity() + 128, "Function: parse_query_entry");
        }
        entries.push_back(decodeEntry(text.substr(start, end - start)));
        start = end + 1;
    }
    return entries;
}

std::optional<std::string> lastQueryValue(const std::vector<QueryEntry>& entries, std::string_view name) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->name == name) return entry->value;
    }
    return std::nullopt;
}

std::string percentEncode(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           std::string_view("-._~/").find(c) != std::string_view::npos;
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string formatQueryString(const std::vector<QueryEntry>& entries) {
    std::string text;
    for (const QueryEntry& entry : entries) {
        if (!text.empty()) text += '&';
        text += percentEncode(entry.name) + '=' + percentEncode(entry.value);
    }
    return text;
}

std::string makeword(std::string& line, char stop) {
    const std::size_t position = line.find(stop);
    if (position == std::string::npos) {
        std::string word = std::move(line);
        line.clear();
        return word;
    }
    std::string word = line.substr(0, position);
    line.erase(0, position + 1);
    return word;
}

void replacePlusSigns(std::string& text) {
    for (char& c : text) {
        if (c == '+') c = ' ';
    }
}

unsigned char hexPairToByte(char first, char second) {
    const auto digit = [](char c) {
        const int code = static_cast<signed char>(c);
        return code < 'A' ? code - '0' : (code & ~0x20) - 55;
    };
    return static_cast<unsigned char>((16 * digit(first) + digit(second)) & 0xFF);
}

void decodeHexEscapes(std::string& text) {
    std::size_t out = 0;
    std::size_t in = 0;
    while (in < text.size()) {
        // An escape cut short by the end of the text stays as it stands.
        if (text[in] == '%' && in + 2 < text.size()) {
            text[out++] = static_cast<char>(hexPairToByte(text[in + 1], text[in + 2]));
            in += 3;
        } else {
            text[out++] = text[in++];
        }
    }
    text.resize(out);
}

std::vector<std::string> get_post_query_string_array(const std::string& text) {
    std::vector<std::string> lines;
    Tokenizer pieces(text, "\n");
    for (std::string_view piece; pieces.next(piece);) {
        if (piece.back() == '\r') piece.remove_suffix(1);
        if (isWhitespaceOnly(piece)) continue;
        if (lines.size() == lines.capacity()) {
            reserveChecked(lines, lines.capacity() + 50, "Function: get_post_query_string_array");
        }
        lines.emplace_back(piece);
    }
    return lines;
}
