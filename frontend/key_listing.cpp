#include "frontend/key_listing.h"

#include <algorithm>

namespace {

const char* typeName(KeyType type) {
    switch (type) {
        case KeyType::integer: return "integer";
        case KeyType::real: return "real";
        case KeyType::text: return "text";
        case KeyType::lines: return "lines";
        case KeyType::unitsCode: return "units";
    }
    return "";
}

const char* shown(const char* value) { return value == nullptr ? "absent" : *value == '\0' ? "(empty)" : value; }

std::string defaultText(const QueryKey& key) {
    std::string text = shown(key.programDefault);
    if (key.frontEndDefault != nullptr) text += std::string(" (front ends: ") + key.frontEndDefault + ")";
    return text;
}

// A table cell holds no "|" of its own, and "<run>" is text, not a tag.
std::string cell(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '|') escaped += "\\|";
        else if (c == '<') escaped += "&lt;";
        else if (c == '>') escaped += "&gt;";
        else escaped += c;
    }
    return escaped;
}

// Words after `indent` spaces, lines at most `width` wide (a longer word
// stands alone).
std::string wrapped(std::string_view text, std::size_t indent, std::size_t width = 79) {
    std::string result;
    std::size_t column = 0;
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (word.empty()) continue;
        if (column > 0 && column + 1 + word.size() > width) {
            result += '\n';
            column = 0;
        }
        if (column == 0) {
            result.append(indent, ' ');
            column = indent;
        } else {
            result += ' ';
            ++column;
        }
        result += word;
        column += word.size();
    }
    return result + "\n";
}

const char* placeholder(const QueryKey& key) {
    if (!key.choices.empty() || key.role == KeyRole::cysteine) return "VALUE";
    switch (key.type) {
        case KeyType::integer: return "N";
        case KeyType::real: return "X";
        case KeyType::text: return "TEXT";
        case KeyType::lines: return "LINES";
        case KeyType::unitsCode: return "UNITS";
    }
    return "VALUE";
}

}  // namespace

std::string rangeOrValuesText(const QueryKey& key) {
    if (key.range) return key.range->text();
    std::string values;
    for (const KeyChoice& choice : key.choices) values += (values.empty() ? "" : ", ") + std::string(shown(choice.value));
    return values;
}

std::string offeredDefaultText(const QueryKey& key) {
    if (key.frontEndDefault == nullptr) return shown(key.programDefault);
    return std::string(shown(key.frontEndDefault)) + "; the programs alone: " + shown(key.programDefault);
}

std::string keysHelp(std::string_view frontEnd, const std::vector<std::string_view>& ownKeys,
                     const std::vector<OfferedChoice>& cysteines) {
    const auto own = [&](const QueryKey& key) {
        return std::find(ownKeys.begin(), ownKeys.end(), key.name) != ownKeys.end();
    };
    std::string text;
    for (const char* group : queryKeyGroups()) {
        std::string entries;
        for (const QueryKey& key : queryKeys()) {
            if (key.group != std::string_view(group) || key.unused) continue;
            const std::string readers =
                key.programs == KeyPrograms::both ? "" : std::string(" (") + programsName(key.programs) + " only)";
            if (own(key)) {
                entries += wrapped(std::string(key.name) + ": " + key.label + readers + ", set by " + std::string(frontEnd) + ".", 2);
                continue;
            }
            std::string option = "  --" + std::string(key.name) + " " + placeholder(key);
            option.resize(std::max<std::size_t>(option.size() + 2, 36), ' ');
            entries += option + key.label + readers + "\n";
            entries += wrapped(key.help, 6);
            std::string values = "Default: " + offeredDefaultText(key);
            if (const std::string choices = choicesText(key, cysteines); !choices.empty()) {
                values += "; values: " + choices;
            } else if (key.range) {
                values += "; range " + key.range->text();
            }
            entries += wrapped(values + ".", 6);
        }
        if (!entries.empty()) text += "\n" + std::string(group) + "\n" + entries;
    }
    std::string unused;
    for (const QueryKey& key : queryKeys()) {
        if (key.unused) unused += (unused.empty() ? "" : ", ") + std::string(key.name);
    }
    if (!unused.empty()) {
        text += "\nAccepted by the programs but not offered (no stage reads them)\n" + wrapped(unused + ".", 2);
    }
    return text;
}

std::string keysTsv() {
    std::string text =
        "key\ttype\trole\tfolder\tprograms\tdefault\tfront_end_default\trange\tgroup\tunused\tadvanced\tlabel\thelp\n";
    for (const QueryKey& key : queryKeys()) {
        text += std::string(key.name) + "\t" + typeName(key.type) + "\t" + roleName(key.role) + "\t" +
                (key.frontEndFolder != nullptr ? key.frontEndFolder : "") + "\t" + programsName(key.programs) + "\t" +
                (key.programDefault != nullptr ? key.programDefault : "") + "\t" + frontEndValue(key) + "\t" +
                rangeOrValuesText(key) + "\t" + key.group + "\t" + (key.unused ? "1" : "0") + "\t" + (key.advanced ? "1" : "0") + "\t" + key.label + "\t" +
                key.help + "\n";
    }
    return text;
}

std::string keysMarkdown() {
    std::string text;
    for (const char* group : queryKeyGroups()) {
        text += "\n#### " + std::string(group) + "\n\n| key | read by | default | range or values | meaning |\n|---|---|---|---|---|\n";
        for (const QueryKey& key : queryKeys()) {
            if (key.group != std::string_view(group)) continue;
            text += "| `" + std::string(key.name) + "` | " + programsName(key.programs) + " | " + cell(defaultText(key)) +
                    " | " + cell(rangeOrValuesText(key)) + " | " + cell(key.help) + " |\n";
        }
    }
    return text;
}
