#include "frontend/key_values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/parameter_ranges.h"
#include "core/extractor/query_keys.h"
#include "core/util/text_path.h"

namespace {

bool isWholeNumber(const std::string& value) {
    const char* first = value.data() + (value.starts_with('+') ? 1 : 0);
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(first, value.data() + value.size(), number);
    return !value.empty() && error == std::errc() && end == value.data() + value.size();
}

// Decimal only: strtod would also take "0x10", "inf" and leading blanks.
bool isRealNumber(const std::string& value) {
    if (value.empty() || std::isspace(static_cast<unsigned char>(value.front()))) return false;
    if (std::any_of(value.begin(), value.end(), [](char c) { return c == 'x' || c == 'X'; })) return false;
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    return end == value.c_str() + value.size() && std::isfinite(number);
}

}  // namespace

std::optional<std::string> keyProblem(const std::string& name, Program program, std::string_view prefix) {
    const std::string said = std::string(prefix) + name;
    const QueryKey* key = findQueryKey(name);
    if (key == nullptr) {
        // A name in the wrong letter case is the likeliest slip: the programs
        // would ignore it and take the default.
        for (const QueryKey& known : queryKeys()) {
            if (equalsIgnoringCase(known.name, name)) {
                return said + " is no key; did you mean " + std::string(prefix) + known.name +
                       "? (key names are case-sensitive)";
            }
        }
        return std::nullopt;
    }
    if (readBy(*key, program)) return std::nullopt;
    return said + " is read by " + programsName(key->programs) + " only, not by " + programName(program) + ".";
}

std::optional<std::string> valueProblem(const QueryKey& key, const std::string& value,
                                        const std::vector<OfferedChoice>& cysteines) {
    // A choice key's refusal lists its choices, whatever else is wrong.
    if (!key.choices.empty() && !isChoiceValue(key, value)) {
        return "not one of " + choicesText(key, cysteines) + (key.choiceList ? ", nor a comma list of them" : "");
    }
    if (key.type == KeyType::integer && !isWholeNumber(value)) {
        // Digits too many for the programs' integers are a number outside
        // the key's range; the range said is always the key's own.
        const std::size_t digits = value.starts_with('-') || value.starts_with('+') ? 1 : 0;
        const bool digitsOnly = value.size() > digits && value.find_first_not_of("0123456789", digits) == std::string::npos;
        const std::string range = key.range ? key.range->text() : "";
        if (digitsOnly && key.range) return "outside its range " + range;
        return "not a whole number" + (key.range ? " (range " + range + ")" : std::string());
    }
    if (key.type == KeyType::real && !isRealNumber(value)) {
        return "not a number" + (key.range ? " (range " + key.range->text() + ")" : std::string());
    }
    if (namesAFile(key) && !isPlainFileName(value)) return "must be a plain file name";
    // The spectrum-features log lies beside the other logs, which front ends
    // serve and archive as text: a name such as feat.html would make a page
    // of rows taken from the run.
    if (key.role == KeyRole::logFileName && !value.ends_with(".txt")) return "must end in .txt";
    if (key.role == KeyRole::cysteine && !cysteines.empty() &&
        std::none_of(cysteines.begin(), cysteines.end(), [&](const OfferedChoice& c) { return value == c.value; })) {
        return "not a cysteine modification of msparams_quarrow/cysteines.tsv: " + choicesText(key, cysteines);
    }
    return std::nullopt;
}

std::vector<std::string_view> perRunKeys() {
    std::vector<std::string_view> names;
    for (const QueryKey& key : queryKeys()) {
        if (setPerRun(key)) names.push_back(key.name);
    }
    return names;
}

std::vector<QueryEntry> perRunEntries(const std::string& dataFile, const std::string& runFolder) {
    std::vector<QueryEntry> entries;
    for (const QueryKey& key : queryKeys()) {
        if (key.role == KeyRole::runData) entries.push_back({key.name, dataFile});
        if (key.role == KeyRole::folder) entries.push_back({key.name, runFolder + key.frontEndFolder + "/"});
    }
    return entries;
}

std::optional<std::string> rangeProblem(const std::vector<QueryEntry>& query) {
    const ExtractorParameters parameters = readExtractorParameters(query);
    std::optional<std::string> violation = findRangeViolation(query, parameters);
    if (!violation) violation = findOrderViolation(query, parameters);
    if (violation) violation->erase(violation->find_last_not_of('\n') + 1);
    return violation;
}

FrontEndQuery withFrontEndDefaults(Program program, const std::vector<QueryEntry>& given,
                                   const std::vector<std::string_view>& ownKeys) {
    FrontEndQuery query;
    for (const QueryKey& key : queryKeys()) {
        if (key.unused || !readBy(key, program) ||
            std::find(ownKeys.begin(), ownKeys.end(), key.name) != ownKeys.end()) {
            continue;
        }
        if (const std::optional<std::string> value = lastQueryValue(given, key.name)) {
            query.entries.push_back({key.name, *value});
        } else if (key.frontEndDefault != nullptr || key.programDefault != nullptr) {
            query.entries.push_back({key.name, frontEndValue(key)});
            if (key.frontEndDefault != nullptr) query.filled.push_back(query.entries.back());
        }
    }
    return query;
}
