#include "core/chemistry/cysteine_modifications.h"

#include "core/chemistry/amino_acid_table.h"
#include "core/util/checked_memory.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"
#include "core/util/parameter_files.h"

namespace {

struct CysteineTableState {
    std::vector<std::pair<std::string, char>> modifications;
    bool loaded = false;
};

CysteineTableState& state() {
    static CysteineTableState table;
    return table;
}

std::string cysteineFilePath() { return parameterFilePath("cysteines.tsv"); }

}  // namespace

void initialiseCysteineModification() {
    CysteineTableState& table = state();
    if (table.loaded) return;
    const std::string path = cysteineFilePath();
    const TsvTable parsed = parseTSVfile(path, 1);
    const std::vector<int> column = checkParsedHeadersForExpectedHeaders(path, {"cysteineName", "AAsymbol"},
                                                                         parsed.headers);
    reserveChecked(table.modifications, parsed.rows.size(), "Function: initialiseCysteineModification");
    for (const std::vector<std::string>& row : parsed.rows) {
        const std::string& name = row[static_cast<std::size_t>(column[0])];
        const char symbol = residueSymbolField(row[static_cast<std::size_t>(column[1])], path);
        table.modifications.emplace_back(name, symbol);
    }
    initialiseAminoAcidsFromFile();
    for (const auto& [name, symbol] : table.modifications) {
        if (aminoAcidEntry(symbol).symbol == 0) {
            reportFatalError(formatText("The Cysteine modification %s declared in the parameter file %s does not "
                                        "contain a corresponding entry in the amino acid definition file.\n",
                                        std::string(1, symbol).c_str(), path.c_str()),
                             {path});
        }
    }
    table.loaded = true;
}

const std::vector<std::pair<std::string, char>>& cysteineModifications() {
    initialiseCysteineModification();
    return state().modifications;
}

char cysteineModificationSymbol(const std::string& name) {
    for (const auto& [modification, symbol] : cysteineModifications()) {
        if (modification == name) return symbol;
    }
    reportFatalError(formatText("The Cysteine modification %s does not occur in the parameter file %s.\n",
                                name.c_str(), cysteineFilePath().c_str()),
                     {cysteineFilePath()});
}
