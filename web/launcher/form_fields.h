#pragma once
// The query keys a form page offers, from the key table: each key a stage
// of the program reads, with the launcher's own words for the keys it fills
// in itself, and the value the form starts with.
#include <string>
#include <vector>

#include "core/extractor/query_keys.h"

struct FormField {
    const QueryKey* key = nullptr;
    std::string help;
    std::string startValue;  // the front ends' default; the folders start empty
};

// In table order; keys no stage reads are not offered.
std::vector<FormField> formFields(const std::string& program);
