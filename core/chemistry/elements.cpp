#include "core/chemistry/elements.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "core/util/checked_memory.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"
#include "core/util/number_text.h"
#include "core/util/parameter_files.h"

namespace {

const char* const kTableLabel = "Function: initialise_mass_calculations";

struct ElementTableState {
    std::vector<Element> elements;
    std::vector<double> monoisotopicMasses;
    bool loaded = false;
};

ElementTableState& state() {
    static ElementTableState table;
    return table;
}

std::string elementFilePath() { return parameterFilePath("elements.txt"); }

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<std::string> splitAtSpaces(std::string_view line) {
    std::vector<std::string> tokens;
    std::size_t position = 0;
    while ((position = line.find_first_not_of(' ', position)) != std::string_view::npos) {
        std::size_t end = line.find(' ', position);
        if (end == std::string_view::npos) end = line.size();
        tokens.emplace_back(line.substr(position, end - position));
        position = end;
    }
    return tokens;
}

bool readWholeReal(const std::string& token, double& value) {
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    return end == token.c_str() + token.size() && std::isfinite(value);
}

bool readWholeInteger(const std::string& token, long& value) {
    char* end = nullptr;
    value = std::strtol(token.c_str(), &end, 10);
    return !token.empty() && end == token.c_str() + token.size();
}

[[noreturn]] void rejectElementLine(int lineNumber, const std::string& path, std::string_view line) {
    if (line.find_first_not_of(' ') == std::string_view::npos) {
        reportFatalError(PageHtml(formatText("\nLine %d of the file %s is empty: every line must define one element.\n",
                                             lineNumber, path.c_str())) +
                             pleaseNotifyAdministrator(),
                         {path});
    }
    const std::string shown(line);
    reportFatalError(PageHtml(formatText("\nLine %d of the file %s is not a valid element definition (symbol, number, "
                                         "isotope count, then a mass and an abundance for each isotope):\n",
                                         lineNumber, path.c_str())) +
                         PageHtml::markup("<BR>") + PageHtml(formatText(" %s.\n", shown.c_str())) +
                         pleaseNotifyAdministrator(),
                     {path});
}

// One line: symbol, number, isotope count k, then k (mass, abundance) pairs.
// A line that does not hold exactly that is rejected instead of letting its
// tokens slide into the next element.
Element parseElementLine(std::string_view line, int lineNumber, const std::string& path) {
    const std::vector<std::string> tokens = splitAtSpaces(line);
    if (tokens.size() < 5) rejectElementLine(lineNumber, path, line);
    Element element;
    element.symbol = tokens[0];
    for (const char c : element.symbol) {
        if (!isLetter(c)) rejectElementLine(lineNumber, path, line);
    }
    long number = 0;
    long isotopeCount = 0;
    if (!readWholeInteger(tokens[1], number) || !readWholeInteger(tokens[2], isotopeCount) || isotopeCount < 1 ||
        tokens.size() != 3 + 2 * static_cast<std::size_t>(isotopeCount)) {
        rejectElementLine(lineNumber, path, line);
    }
    element.number = static_cast<int>(number);
    reserveChecked(element.isotopeMasses, static_cast<std::size_t>(isotopeCount), kTableLabel);
    reserveChecked(element.abundances, static_cast<std::size_t>(isotopeCount), kTableLabel);
    for (long i = 0; i < isotopeCount; ++i) {
        double mass = 0.0;
        double abundance = 0.0;
        const auto at = static_cast<std::size_t>(3 + 2 * i);
        if (!readWholeReal(tokens[at], mass) || !readWholeReal(tokens[at + 1], abundance)) {
            rejectElementLine(lineNumber, path, line);
        }
        element.isotopeMasses.push_back(mass);
        element.abundances.push_back(abundance);
    }
    return element;
}

struct FormulaToken {
    std::string symbol;
    int count = 1;
};

// The tokens of a formula as the mass calculation reads them: letters make the
// symbol, a digit or "-" right after it starts a signed count, and the formula
// goes on only while the character after a token is a space.
std::vector<FormulaToken> formulaTokens(const std::string& formula) {
    std::vector<FormulaToken> tokens;
    std::size_t i = 0;
    for (;;) {
        const std::size_t start = i;
        while (i < formula.size() && isLetter(formula[i])) ++i;
        if (i > start) {
            FormulaToken token;
            token.symbol = formula.substr(start, i - start);
            if (i < formula.size() && (isDigit(formula[i]) || formula[i] == '-')) {
                std::size_t end = i + (formula[i] == '-' ? 1 : 0);
                const std::size_t digitsStart = end;
                while (end < formula.size() && isDigit(formula[end])) ++end;
                // A lone "-" is no number: it counts 0 and is not consumed.
                token.count = end > digitsStart ? textToInteger(std::string_view(formula).substr(i, end - i)) : 0;
                if (end > digitsStart) i = end;
            }
            tokens.push_back(std::move(token));
        }
        if (i >= formula.size() || formula[i] != ' ') break;
        ++i;
    }
    return tokens;
}

int saturatingSum(int a, int b) {
    const long long sum = static_cast<long long>(a) + b;
    if (sum > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (sum < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(sum);
}

const ElementTableState& loadedTable() {
    if (!state().loaded) initialise_mass_calculations();
    return state();
}

}  // namespace

void initialise_mass_calculations() {
    const std::string path = elementFilePath();
    int lineFeeds = 0;
    // Comment lines are skipped here rather than by the reader so that a
    // message can name the line as the administrator sees it in the file.
    const std::string text = get_file_info(path, '\n', 1, 0, lineFeeds);
    ElementTableState& table = state();
    table.elements.clear();
    table.monoisotopicMasses.clear();
    reserveChecked(table.elements, static_cast<std::size_t>(lineFeeds) + 1, kTableLabel);
    int lineNumber = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t end = text.find('\n', position);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = std::string_view(text).substr(position, end - position);
        ++lineNumber;
        if (line.empty() || line.front() != '#') table.elements.push_back(parseElementLine(line, lineNumber, path));
        position = end + 1;
    }
    reserveChecked(table.monoisotopicMasses, table.elements.size(), kTableLabel);
    for (const Element& element : table.elements) table.monoisotopicMasses.push_back(element.monoisotopicMass());
    table.loaded = true;
}

const std::vector<Element>& elementTable() { return loadedTable().elements; }

const std::vector<double>& monoisotopicElementMasses() { return loadedTable().monoisotopicMasses; }

std::vector<int> formula_to_multiplier_list(const std::string& formula) {
    const std::vector<Element>& elements = elementTable();
    std::vector<int> multipliers;
    reserveChecked(multipliers, elements.size(), "formula_to_multiplier_list");
    multipliers.assign(elements.size(), 0);
    for (const FormulaToken& token : formulaTokens(formula)) {
        std::size_t index = 0;
        while (index < elements.size() && elements[index].symbol != token.symbol) ++index;
        if (index == elements.size()) {
            printProgress(PageHtml::markup("\n<BR>") + PageHtml("temp_element: " + token.symbol));
            reportFatalError(PageHtml(formatText("\nThe element: %s is not defined in the file %s. The element was present "
                                                 "in the formula: %s. \n",
                                                 token.symbol.c_str(), elementFilePath().c_str(), formula.c_str())) +
                                 pleaseNotifyAdministrator(),
                             {elementFilePath()});
        }
        multipliers[index] = token.count;
    }
    return multipliers;
}

double formula_to_numeric(const std::string& formula, const std::vector<double>& massTable) {
    const std::vector<int> multipliers = formula_to_multiplier_list(formula);
    double mass = 0.0;
    for (std::size_t i = 0; i < multipliers.size() && i < massTable.size(); ++i) {
        mass += multipliers[i] * massTable[i];
    }
    return mass;
}

double formulaMonoisotopicMass(const std::string& formula) {
    return formula_to_numeric(formula, monoisotopicElementMasses());
}

std::string addFormulas(const std::string& formulaA, const std::string& formulaB) {
    std::vector<FormulaToken> sum = formulaTokens(formulaA);
    std::vector<FormulaToken> added = formulaTokens(formulaB);
    for (FormulaToken& a : sum) {
        for (FormulaToken& b : added) {
            if (b.symbol == a.symbol) {
                a.count = saturatingSum(a.count, b.count);
                b.count = 0;
            }
        }
    }
    for (FormulaToken& b : added) {
        if (b.count != 0) sum.push_back(std::move(b));
    }
    std::string text;
    for (const FormulaToken& token : sum) {
        if (token.count == 0) continue;
        text += formatText("%s%s%d", text.empty() ? "" : " ", token.symbol.c_str(), token.count);
    }
    return text;
}
