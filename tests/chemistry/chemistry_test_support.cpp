#include "tests/chemistry/chemistry_test_support.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/elements.h"

ChildResult runInFolder(const std::string& folder, const std::function<void()>& body) {
    return runInChild([&] {
        if (::chdir(folder.c_str()) != 0) std::_Exit(99);
        errno = 0;
        body();
    });
}

ParameterFolder::ParameterFolder() { dir_.installParameterFiles(); }

void ParameterFolder::replace(const std::string& fileName, const std::string& content) const {
    writeWholeFile(dir_.file("msparams_quarrow/" + fileName), content);
}

void ParameterFolder::edit(const std::string& fileName, const std::string& from, const std::string& to) const {
    std::string content = readWholeFile(dir_.file("msparams_quarrow/" + fileName));
    const std::size_t at = content.find(from);
    if (at == std::string::npos) throw std::runtime_error(fileName + " does not hold " + from);
    for (std::size_t i = at; i != std::string::npos; i = content.find(from, i + to.size())) {
        content.replace(i, from.size(), to);
    }
    replace(fileName, content);
}

std::string fatalBanner(const std::string& message) { return "\nERROR MESSAGE\n-------------\n\n" + message; }

std::map<std::string, std::string> keyValueLines(const std::string& output) {
    std::map<std::string, std::string> values;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t space = line.find(' ');
        if (space != std::string::npos) values[line.substr(0, space)] = line.substr(space + 1);
    }
    return values;
}

ChemistryTables startChemistry(const std::string& cysteineModification) {
    return initialise_amino_acid_weights("H", "O H", "H", cysteineModification, "C2 H3 N1 O1", formulaMonoisotopicMass);
}
