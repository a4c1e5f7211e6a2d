#pragma once
// The query keys the programs read, as the form pages offer them: grouped,
// with the programs' defaults and a help text each.
#include <string>
#include <vector>

enum class FieldKind { Text, Integer, Real, Choice, Cysteine };

struct FieldChoice {
    std::string value;
    std::string label;
};

struct FormField {
    std::string key;
    std::string group;
    FieldKind kind = FieldKind::Text;
    std::string defaultValue;
    std::string help;
    std::string program;  // "" for both programs
    std::vector<FieldChoice> choices;  // FieldKind::Choice
};

// The groups in the order the pages show them.
const std::vector<std::string>& formGroups();
// The fields of one program ("yepharvest" or "wiffharvest"), in page order.
std::vector<FormField> formFields(const std::string& program);

// The programs' own default of lastScan, 9999, rejects every later scan of
// today's runs; the form offers one that takes any run whole.
inline constexpr const char* wholeRunLastScan = "999999999";
