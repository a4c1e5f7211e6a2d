// The shipped parameter files against reference masses: monoisotopic residue
// masses as published by Unimod and NIST, written here by hand and never
// derived from the code under test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/chemistry/amino_acid_table.h"
#include "core/chemistry/amino_acids.h"
#include "core/chemistry/cysteine_modifications.h"
#include "core/chemistry/elements.h"
#include "tests/chemistry/chemistry_test_support.h"

namespace {

constexpr double kTolerance = 2e-6;
constexpr double kBackbone = 56.013639;  // C2 H2 N O: residue minus side chain

const std::map<char, double> kReferenceResidueMasses = {
    {'G', 57.021464},  {'A', 71.037114},  {'S', 87.032028},  {'P', 97.052764},  {'V', 99.068414},
    {'T', 101.047679}, {'C', 103.009185}, {'L', 113.084064}, {'I', 113.084064}, {'N', 114.042927},
    {'D', 115.026943}, {'Q', 128.058578}, {'K', 128.094963}, {'E', 129.042593}, {'M', 131.040485},
    {'H', 137.058912}, {'F', 147.068414}, {'R', 156.101111}, {'Y', 163.063329}, {'W', 186.079313},
    {'B', 114.042927},  // Asx with the Asn composition
    {'Z', 128.058578},  // Glx with the Gln composition
    {'X', 113.084064},  // unknown, Leu/Ile composition
    {'u', 57.021464},   // reserved; the file row holds glycine's composition
    {'h', 153.053827},  // His + O
    {'k', 170.105528},  // Lys + acetyl
    {'m', 147.035400},  // Met + O
    {'q', 111.032028},  // pyro-Glu from Gln
    {'s', 166.998359},  {'t', 181.014010}, {'y', 243.029660},  // + HPO3
    {'c', 160.030649},  // carbamidomethyl Cys
    {'a', 174.046299},  // propionamide Cys
    {'p', 208.067034},  // pyridylethyl Cys
    {'o', 161.014664},  // carboxymethyl Cys
    {'i', 545.234176},  // ICAT-D light Cys
    {'j', 330.136176},  // ICAT-C light Cys
    {'e', 188.061949},  // N-ethylcarbamidomethyl (NEIAA) Cys
    {'l', 274.098728},  // Cys + C8 H13 N O3 (iodoacetyl-leucine)
};

const std::map<std::string, double> kReferenceCysteineMasses = {
    {"pyridylethylation", 208.067034}, {"acrylamide", 174.046299},         {"iodoacetamide", 160.030649},
    {"carbamidomethyl", 160.030649},   {"iodoacetic-acid", 161.014664},    {"unmodified", 103.009185},
    {"ICAT-mix", 545.234176},          {"N-ethyl-acetamide-mix", 188.061949}, {"leuCAT-mix", 274.098728},
    {"cICAT-mix", 330.136176},
};

std::map<std::string, std::string> runWithShippedFiles(const std::function<void()>& body) {
    const ChildResult result = runInFolder(QUARROW_SOURCE_DIR, body);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    return keyValueLines(result.output);
}

double number(const std::map<std::string, std::string>& values, const std::string& key) {
    const auto found = values.find(key);
    if (found == values.end()) {
        ADD_FAILURE() << "no value for " << key;
        return -1.0;
    }
    return std::strtod(found->second.c_str(), nullptr);
}

TEST(ShippedParameterFiles, EveryResidueHasItsReferenceMass) {
    const auto values = runWithShippedFiles([] {
        for (int code = 1; code < 128; ++code) {
            const AminoAcid& entry = aminoAcidEntry(static_cast<char>(code));
            if (entry.symbol == 0) continue;
            std::printf("%c %.7f\n", entry.symbol, formulaMonoisotopicMass(entry.formula));
            std::printf("%c-sidechain %.7f\n", entry.symbol, formulaMonoisotopicMass(entry.sideChainA));
        }
    });
    std::size_t residues = 0;
    for (const auto& [key, text] : values) {
        if (key.size() != 1) continue;
        ++residues;
        const auto reference = kReferenceResidueMasses.find(key[0]);
        ASSERT_NE(reference, kReferenceResidueMasses.end()) << "no reference mass for shipped residue " << key;
        EXPECT_NEAR(number(values, key), reference->second, kTolerance) << key;
        EXPECT_NEAR(number(values, key + "-sidechain") + kBackbone, reference->second, kTolerance) << key;
    }
    EXPECT_EQ(residues, kReferenceResidueMasses.size());
}

TEST(ShippedParameterFiles, EveryCysteineModificationStartsUpWithItsReferenceMass) {
    const auto names = runWithShippedFiles([] {
        for (const auto& [name, symbol] : cysteineModifications()) std::printf("%s %c\n", name.c_str(), symbol);
    });
    EXPECT_EQ(names.size(), kReferenceCysteineMasses.size());
    for (const auto& [name, symbol] : names) {
        const auto reference = kReferenceCysteineMasses.find(name);
        ASSERT_NE(reference, kReferenceCysteineMasses.end()) << "no reference mass for " << name;
        const auto values = runWithShippedFiles([&name = name] {
            std::printf("C %.7f\n", startChemistry(name).residueMass('C'));
        });
        EXPECT_NEAR(number(values, "C"), reference->second, kTolerance) << name;
    }
}

// The group masses the peak stages use; the label shifts serve only the
// start-up's check that elements.txt defines deuterium.
TEST(ShippedParameterFiles, GroupMasses) {
    const auto values = runWithShippedFiles([] {
        const GroupMasses g = startChemistry("pyridylethylation").groups;
        std::printf("H %.7f\nH2 %.7f\nH2O %.7f\nCO2 %.7f\ncarrier %.7f\n", g.H, g.H2, g.H2O, g.CO2, g.chargeCarrier);
        std::printf("C6C6 %.7f\n", formulaMonoisotopicMass("C6 C6"));
    });
    const std::map<std::string, double> reference = {
        {"H", 1.007825}, {"H2", 2.015650}, {"H2O", 18.010565}, {"CO2", 43.989829}, {"carrier", 1.007825}};
    for (const auto& [key, mass] : reference) EXPECT_NEAR(number(values, key), mass, kTolerance) << key;
    EXPECT_EQ(values.at("C6C6"), "72.0000000");
}

}  // namespace
