#pragma once
// The query keys a form page offers, from the key table: each key a stage
// of the program reads but the two folders, which the launcher makes for
// every request, with the launcher's own words for the paths it checks, and
// the value the form starts with.
#include <string>
#include <vector>

#include "core/extractor/query_keys.h"
#include "frontend/program.h"

struct FormField {
    const QueryKey* key = nullptr;
    std::string help;
    std::string startValue;  // the front ends' default
};

// In table order; keys no stage reads are not offered.
std::vector<FormField> formFields(Program program);
