#pragma once
// Every query key the programs accept, described once: the field it sets,
// how its value text is read, the programs' default, its range, and what a
// person needs to choose a value. Parsing, the range check, the web form,
// the command line's help and the workflow's key list all read this table.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/extractor/extractor_parameters.h"

// How a value text becomes the field's value.
enum class KeyType {
    integer,    // lenient decimal integer, saturating at the 32-bit ends
    real,       // lenient decimal real
    text,       // the text as given
    lines,      // the non-blank lines of the value
    unitsCode,  // "Da" 0, "ppm" 1, "mmu" 2, "%" 3, anything else 4
};

using KeyField = std::variant<std::int32_t ExtractorParameters::*, double ExtractorParameters::*,
                              std::string ExtractorParameters::*, std::optional<std::string> ExtractorParameters::*,
                              std::vector<std::string> ExtractorParameters::*>;

// The values a numeric key may take. Integers saturate and reals may be
// infinite while they are read: the bounds keep every later sum and product
// of these values inside its type.
struct KeyRange {
    double lowest = 0.0;
    double highest = 0.0;
    bool lowestExcluded = false;  // the value must lie above `lowest`

    bool fits(double value) const;
    // As the error page shows it: "0 - 9", "above 0 up to 1000".
    std::string text() const;
};

struct KeyChoice {
    const char* value;
    const char* label;
};

enum class KeyPrograms { both, yepharvest, wiffharvest };

struct QueryKey {
    const char* name;
    KeyField field;
    KeyType type;
    const char* programDefault;  // as a query value; nullptr: absent
    std::optional<KeyRange> range;
    const char* label;  // for people
    const char* help;   // one line
    const char* group;
    KeyPrograms programs;
    // What the front ends (form, GET links, command line, workflow) fill in
    // when it differs from the programs' default; nullptr: the same.
    const char* frontEndDefault = nullptr;
    bool unused = false;  // accepted and ignored: no stage reads it
    std::vector<KeyChoice> choices = {};
    bool cysteineChoices = false;  // the choices are the names of cysteines.tsv
    // Rarely changed: the form folds it away under "Advanced".
    bool advanced = false;
};

// In the order the query ranges are checked.
const std::vector<QueryKey>& queryKeys();
// The groups in the order people see them.
const std::vector<const char*>& queryKeyGroups();
// Nothing for a name that is no key (names are case-sensitive).
const QueryKey* findQueryKey(std::string_view name);

bool readBy(const QueryKey& key, std::string_view program);
// The value the front ends fill in, "" for an absent default.
std::string frontEndValue(const QueryKey& key);
// The key's field of `parameters` as a number (keys of numeric type only).
double numericValue(const QueryKey& key, const ExtractorParameters& parameters);
// Stores `value`, read as the key's type, in the key's field.
void applyQueryValue(const QueryKey& key, ExtractorParameters& parameters, const std::string& value);
