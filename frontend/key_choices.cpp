#include "frontend/key_choices.h"

#include <algorithm>

#include "core/util/parameter_files.h"

namespace {

std::size_t columnOf(const TsvTable& table, const char* name) {
    // The last column of that name, as the programs take it.
    const auto column = std::find(table.headers.rbegin(), table.headers.rend(), name);
    return column == table.headers.rend() ? table.headers.size()
                                           : static_cast<std::size_t>(table.headers.rend() - column - 1);
}

}  // namespace

std::vector<OfferedChoice> cysteineChoices(const std::string& cysteinesFile) {
    // Read as the programs read it, with comments stripped, the columns found
    // by their headers wherever they stand.
    const std::optional<TsvTable> table = readTsvFile(cysteinesFile, 1);
    if (!table) return {};
    const std::size_t name = columnOf(*table, "cysteineName");
    const std::size_t residue = columnOf(*table, "AAsymbol");
    if (name == table->headers.size()) return {};
    std::vector<OfferedChoice> choices;
    std::vector<std::string> residues;
    for (const std::vector<std::string>& row : table->rows) {
        OfferedChoice choice{.value = row[name]};
        const std::string made = residue < row.size() ? row[residue] : "";
        const auto earlier = std::find(residues.begin(), residues.end(), made);
        if (!made.empty() && earlier != residues.end()) {
            choice.standsFor = choices[static_cast<std::size_t>(earlier - residues.begin())].value;
        }
        residues.push_back(made);
        choices.push_back(std::move(choice));
    }
    return choices;
}

std::vector<OfferedChoice> offeredChoices(const QueryKey& key, const std::vector<OfferedChoice>& cysteines) {
    if (key.role == KeyRole::cysteine) return cysteines;
    std::vector<OfferedChoice> choices;
    for (const KeyChoice& choice : key.choices) choices.push_back({.value = choice.value, .label = choice.label});
    return choices;
}

std::string choiceLabel(const OfferedChoice& choice) {
    const std::string label = choice.label.empty() ? choice.value : choice.label;
    return choice.standsFor.empty() ? label : label + " (another name for " + choice.standsFor + ")";
}

std::string choicesText(const QueryKey& key, const std::vector<OfferedChoice>& cysteines) {
    std::string text;
    for (const OfferedChoice& choice : offeredChoices(key, cysteines)) {
        std::vector<std::string> notes;
        if (!choice.label.empty() && choice.label != choice.value) notes.push_back(choice.label);
        if (!choice.standsFor.empty()) notes.push_back("another name for " + choice.standsFor);
        text += (text.empty() ? "" : ", ") + (choice.value.empty() ? std::string("empty") : choice.value);
        for (std::size_t i = 0; i < notes.size(); ++i) text += (i == 0 ? " (" : "; ") + notes[i];
        if (!notes.empty()) text += ")";
    }
    return text;
}
