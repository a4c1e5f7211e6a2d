#pragma once
// The query keys the programs read, as the form pages offer them: from the
// key table, grouped, with the front ends' defaults.
#include <string>
#include <vector>

enum class FieldKind { Text, Integer, Real, Choice, Cysteine };

struct FieldChoice {
    std::string value;
    std::string label;
};

struct FormField {
    std::string key;
    std::string label;
    std::string group;
    FieldKind kind = FieldKind::Text;
    std::string defaultValue;
    std::string help;
    std::vector<FieldChoice> choices;  // FieldKind::Choice
};

// The groups in the order the pages show them.
std::vector<std::string> formGroups();
// The fields of one program ("yepharvest" or "wiffharvest"), in table order;
// keys no stage reads are not offered.
std::vector<FormField> formFields(const std::string& program);
