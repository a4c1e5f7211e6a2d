#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/chemistry/amino_acid_table.h"
#include "core/chemistry/amino_acids.h"
#include "core/chemistry/cysteine_modifications.h"
#include "tests/chemistry/chemistry_test_support.h"

namespace {

const std::string kNotify = "\n<P>Please notify the server administrator about this error message. ";

// The occupied cells of the nominal-mass table as "mass:letter" words.
void printNominalTable(const ChemistryTables& chemistry) {
    const auto& table = chemistry.nominalResidues;
    for (std::size_t mass = 0; mass < table.size(); ++mass) {
        if (table[mass] != 0) std::printf("%zu:%c ", mass, table[mass]);
    }
    std::printf("\n");
}

std::string nominalTableWith(const ParameterFolder& folder, const std::string& cys) {
    const ChildResult result = runInFolder(folder.path(), [&] {
        printNominalTable(startChemistry(cys));
    });
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    return result.output;
}

// The cells the standard residues fill, with cysteine's cell (if any) added.
std::string standardCellsWith(int cysteineCell) {
    std::map<int, char> cells = {{57, 'G'},  {71, 'A'},  {87, 'S'},  {97, 'P'},  {99, 'V'},  {101, 'T'},
                                 {113, 'L'}, {114, 'N'}, {115, 'D'}, {128, 'Q'}, {129, 'E'}, {131, 'M'},
                                 {137, 'H'}, {147, 'F'}, {156, 'R'}, {163, 'Y'}, {186, 'W'}};
    if (cysteineCell > 0) cells[cysteineCell] = 'C';
    std::string text;
    for (const auto& [mass, letter] : cells) text += std::to_string(mass) + ":" + letter + " ";
    return text + "\n";
}

// One letter per nominal mass, L and Q for the isobaric pairs; cysteine's
// cell moves with its modification, and cysteines of 200 or more (pyridyl-
// ethyl, ICAT) have none.
TEST(NominalResidueTable, CysteineModificationMovesTheCysteineCell) {
    ParameterFolder folder;
    const std::vector<std::pair<const char*, int>> cases = {
        {"unmodified", 103}, {"acrylamide", 174}, {"iodoacetamide", 160}, {"pyridylethylation", 0}, {"ICAT-mix", 0},
    };
    for (const auto& [cys, cell] : cases) EXPECT_EQ(nominalTableWith(folder, cys), standardCellsWith(cell)) << cys;
}

TEST(AminoAcidTable, LaterRowOfASymbolReplacesTheEarlierAndNotApplicablePkReadsMinus98) {
    ParameterFolder folder;
    folder.edit("aminoAcids.tsv", "Glycine\tG\tC2 H3 N1 O1\tH1\t0\t2.34\t9.60\tn/a\tn/a\n",
                "Glycine\tG\tC2 H3 N1 O1\tH1\t0\t2.34\t9.60\tn/a\tn/a\nHeavy glycine\tG\tC2 H3 N1 O1 H2\tH3\t0\t1.5abc\tn/a\t3\tn/a\n");
    const ChildResult result = runInFolder(folder.path(), [] {
        const AminoAcid& g = aminoAcidEntry('G');
        std::printf("%s|%s|%s|%.2f|%.2f|%.2f|%.2f\n", g.name.c_str(), g.formula.c_str(), g.sideChainA.c_str(), g.pkCterm,
                    g.pkNterm, g.pkAcidicSideChain, g.pkBasicSideChain);
    });
    EXPECT_EQ(result.output, "Heavy glycine|C2 H3 N1 O1 H2|H3|1.50|-98.00|3.00|-98.00\n");
}

// Fatal paths, each in a folder whose shipped files carry one fault.
TEST(ChemistryFaults, FaultyParameterFilesEndTheStartUp) {
    struct Case {
        const char* file;
        std::string from;
        std::string to;
        const char* cys;
        std::string output;
    };
    const std::string undefinedElement =
        "\nThe element: %s is not defined in the file msparams_quarrow/elements.txt. The element was present in the "
        "formula: ";
    const auto elementMissing = [&](const char* symbol, const std::string& formula) {
        std::string message = undefinedElement;
        message.replace(message.find("%s"), 2, symbol);
        return "\n<BR>temp_element: " + std::string(symbol) + fatalBanner(message + formula + ". " + kNotify);
    };
    const std::vector<Case> cases = {
        {"aminoAcids.tsv", "Asx (Asn or Asp; Asn composition)\tB\t", "Asx\tJ\t", "acrylamide",
         fatalBanner("\nThere is no ElementalComposition entry in the file msparams_quarrow/aminoAcids.tsv for the "
                     "amino acid B." + kNotify)},
        {"aminoAcids.tsv", "Glycine\tG\tC2 H3 N1 O1\tH1\t0\t", "Glycine\tG\tC2 H3 N1 O1\t-\t0\t", "acrylamide",
         fatalBanner("\nThere is not a valid SideChainAElementalComposition entry in the file "
                     "msparams_quarrow/aminoAcids.tsv for the amino acid G." + kNotify)},
        {"aminoAcids.tsv", "Glycine\tG\tC2 H3 N1 O1\tH1\t0\t", "Glycine\tG\tC2 H3 N1 O1\tH1\t-1\t", "acrylamide",
         fatalBanner("\nThere is not a valid SideChainBElementalComposition entry in the file "
                     "msparams_quarrow/aminoAcids.tsv for the amino acid G." + kNotify)},
        {"aminoAcids.tsv", "Glycine\tG\tC2 H3 N1 O1\t", "Glycine\tG\tC2 H3 N1 O1 Se1\t", "acrylamide",
         elementMissing("Se", "C2 H3 N1 O1 Se1")},
        // Without deuterium the start-up fails at the label shift.
        {"elements.txt", "D 1 1 2.01410177812 1.0\n", "", "acrylamide", elementMissing("D", "D8")},
        // Modification names are case-sensitive.
        {"cysteines.tsv", "", "", "Acrylamide",
         fatalBanner("The Cysteine modification Acrylamide does not occur in the parameter file "
                     "msparams_quarrow/cysteines.tsv.\n")},
        // Acrylamide is looked up whatever is chosen.
        {"cysteines.tsv", "acrylamide\ta\n", "", "iodoacetamide",
         fatalBanner("The Cysteine modification acrylamide does not occur in the parameter file "
                     "msparams_quarrow/cysteines.tsv.\n")},
        {"cysteines.tsv", "iodoacetic-acid\to\n", "iodoacetic-acid\tJ\n", "acrylamide",
         fatalBanner("The Cysteine modification J declared in the parameter file msparams_quarrow/cysteines.tsv does "
                     "not contain a corresponding entry in the amino acid definition file.\n")},
        {"aminoAcids.tsv", "\tpkBasicSideChain\n", "\tpkBasic\n", "acrylamide",
         fatalBanner("\nIn the file msparams_quarrow/aminoAcids.tsv there is a column missing containing information "
                     "on:\n<BR> pkBasicSideChain." + kNotify)},
        {"cysteines.tsv", "iodoacetic-acid\to\n", "iodoacetic-acid\t\xC3\xB6\n", "acrylamide",
         fatalBanner("\nThe amino acid symbol \xC3\xB6 in the file msparams_quarrow/cysteines.tsv is not a single "
                     "7-bit character." + kNotify)},
    };
    for (const Case& c : cases) {
        ParameterFolder folder;
        if (!c.from.empty()) folder.edit(c.file, c.from, c.to);
        const ChildResult result = runInFolder(folder.path(), [&] { startChemistry(c.cys); });
        EXPECT_EQ(result.exitStatus, 1) << c.from;
        EXPECT_EQ(result.output, c.output) << c.from;
    }
}

}  // namespace
