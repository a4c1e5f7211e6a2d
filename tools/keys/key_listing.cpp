#include "tools/keys/key_listing.h"

#include "core/extractor/query_keys.h"

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

const char* programsName(KeyPrograms programs) {
    switch (programs) {
        case KeyPrograms::both: return "both";
        case KeyPrograms::yepharvest: return "yepharvest";
        case KeyPrograms::wiffharvest: return "wiffharvest";
    }
    return "";
}

std::string rangeText(const QueryKey& key) {
    if (key.range) return key.range->text();
    std::string values;
    for (const KeyChoice& choice : key.choices) {
        if (!values.empty()) values += ", ";
        values += *choice.value == '\0' ? "(empty)" : choice.value;
    }
    return values;
}

std::string defaultText(const QueryKey& key) {
    std::string text = key.programDefault == nullptr ? "absent" : *key.programDefault == '\0' ? "(empty)" : key.programDefault;
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

}  // namespace

std::string keysTsv() {
    std::string text = "key\ttype\tprograms\tdefault\tfront_end_default\trange\tgroup\tunused\tlabel\thelp\n";
    for (const QueryKey& key : queryKeys()) {
        text += std::string(key.name) + "\t" + typeName(key.type) + "\t" + programsName(key.programs) + "\t" +
                (key.programDefault != nullptr ? key.programDefault : "") + "\t" + frontEndValue(key) + "\t" +
                rangeText(key) + "\t" + key.group + "\t" + (key.unused ? "1" : "0") + "\t" + key.label + "\t" +
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
                    " | " + cell(rangeText(key)) + " | " + cell(key.help) + " |\n";
        }
    }
    return text;
}
