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

std::string runsTsv(const std::vector<CatalogRun>& runs, const std::vector<std::string>& problems) {
    std::string text = "run\tprogram\tpath\tsource\tproblem\n";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const CatalogRun& run = runs[i];
        text += tsvField(run.name) + '\t' + tsvField(programName(run.program)) + '\t' + tsvField(run.path) + '\t' + tsvField(run.source) + '\t' + tsvField(i < problems.size() ? problems[i] : "");
        text += '\n';
    }
    return text;
}
