#include "core/chemistry/amino_acid_table.h"

#include <vector>

#include "core/util/fatal_error.h"
#include "core/util/format_text.h"
#include "core/util/number_text.h"
#include "core/util/parameter_files.h"

namespace {

struct AminoAcidTableState {
    std::array<AminoAcid, 128> entries{};
    bool loaded = false;
};

AminoAcidTableState& state() {
    static AminoAcidTableState table;
    return table;
}

double pkValue(const std::string& field) { return field == "n/a" ? -98.0 : textToReal(field); }

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

const AminoAcid& loadedEntry(char symbol) {
    initialiseAminoAcidsFromFile();
    const auto index = static_cast<unsigned char>(symbol);
    static const AminoAcid empty;
    return index < 128 ? state().entries[index] : empty;
}

std::string validSideChain(const std::string& sideChain, char symbol, const char* column) {
    if (sideChain.empty() || !(isLetter(sideChain.front()) || sideChain.front() == '0')) {
        reportFatalError(PageHtml(formatText("\nThere is not a valid %s entry in the file msparams_quarrow/aminoAcids.tsv "
                                             "for the amino acid %s.\n",
                                             column, std::string(1, symbol).c_str())) +
                         pleaseNotifyAdministrator());
    }
    return sideChain;
}

}  // namespace

char residueSymbolField(const std::string& field, const std::string& path) {
    const auto code = static_cast<unsigned char>(field.empty() ? '\0' : field.front());
    if (code == 0 || code >= 128) {
        reportFatalError(PageHtml(formatText("\nThe amino acid symbol %s in the file %s is not a single 7-bit character.\n",
                                             field.c_str(), path.c_str())) +
                             pleaseNotifyAdministrator(),
                         {path});
    }
    return static_cast<char>(code);
}

void initialiseAminoAcidsFromFile() {
    AminoAcidTableState& table = state();
    if (table.loaded) return;
    const std::string path = parameterFilePath("aminoAcids.tsv");
    const TsvTable parsed = parseTSVfile(path, 1);
    const std::vector<int> column = checkParsedHeadersForExpectedHeaders(
        path,
        {"AAname", "AAsymbol", "ElementalComposition", "SideChainAElementalComposition",
         "SideChainBElementalComposition", "pkCterm", "pkNterm", "pkAcidicSideChain", "pkBasicSideChain"},
        parsed.headers);
    for (const std::vector<std::string>& row : parsed.rows) {
        const auto field = [&](int j) -> const std::string& { return row[static_cast<std::size_t>(column[j])]; };
        AminoAcid entry;
        entry.symbol = residueSymbolField(field(1), path);
        entry.name = field(0);
        entry.formula = field(2);
        entry.sideChainA = field(3);
        entry.sideChainB = field(4);
        entry.pkCterm = pkValue(field(5));
        entry.pkNterm = pkValue(field(6));
        entry.pkAcidicSideChain = pkValue(field(7));
        entry.pkBasicSideChain = pkValue(field(8));
        table.entries[static_cast<unsigned char>(entry.symbol)] = std::move(entry);
    }
    table.loaded = true;
}

const AminoAcid& aminoAcidEntry(char symbol) { return loadedEntry(symbol); }

std::string residueFormula(char symbol) {
    const AminoAcid& entry = loadedEntry(symbol);
    if (entry.formula.empty()) {
        reportFatalError(PageHtml(formatText("\nThere is no ElementalComposition entry in the file "
                                             "msparams_quarrow/aminoAcids.tsv for the amino acid %s.\n",
                                             std::string(1, symbol).c_str())) +
                         pleaseNotifyAdministrator());
    }
    return entry.formula;
}

std::string sideChainAFormula(char symbol) {
    if (symbol == 'u') return "H1";
    return validSideChain(loadedEntry(symbol).sideChainA, symbol, "SideChainAElementalComposition");
}

std::string sideChainBFormula(char symbol) {
    if (symbol == 'u') return "0";
    return validSideChain(loadedEntry(symbol).sideChainB, symbol, "SideChainBElementalComposition");
}
