#include "frontend/run_listing.h"

std::string tsvField(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string field;
    field.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': field += "\\\\"; break;
            case '\t': field += "\\t"; break;
            case '\n': field += "\\n"; break;
            case '\r': field += "\\r"; break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    field += "\\x";
                    field += hex[byte >> 4];
                    field += hex[byte & 0xF];
                } else {
                    field += c;
                }
        }
    }
    return field;
}

std::optional<std::string> tsvValue(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t at = 0; at < field.size(); ++at) {
        if (field[at] != '\\') {
            text += field[at];
            continue;
        }
        const char next = at + 1 < field.size() ? field[at + 1] : '\0';
        const auto hexDigit = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        if (next == '\\' || next == 't' || next == 'n' || next == 'r') {
            text += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++at;
        } else if (next == 'x' && at + 3 < field.size() && hexDigit(field[at + 2]) >= 0 &&
                   hexDigit(field[at + 3]) >= 0) {
            text += static_cast<char>(hexDigit(field[at + 2]) * 16 + hexDigit(field[at + 3]));
            at += 3;
        } else {
            return std::nullopt;
        }
    }
    return text;
}

std::string runsTsv(const std::vector<CatalogRun>& runs, const std::vector<std::string>& problems) {
    std::string text = "run\tprogram\tpath\tsource\tproblem\n";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const CatalogRun& run = runs[i];
        text += tsvField(run.name) + '\t' + tsvField(programName(run.program)) + '\t' + tsvField(run.path) + '\t' + tsvField(run.source) + '\t' + tsvField(i < problems.size() ? problems[i] : "");
        text += '\n';
    }
    return text;
}
