#pragma once
// Peptides for synthetic runs: tryptic digests of a FASTA file or random
// tryptic sequences, with their monoisotopic masses and fragment ladders.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

constexpr double protonMass = 1.007276;
constexpr double waterMass = 18.010565;
constexpr double ammoniaMass = 17.026549;
constexpr double isotopeSpacing = 1.003355;

// Monoisotopic residue mass of a one-letter code; 0 for an unknown letter.
double residueMass(char code);
// Neutral monoisotopic mass of the peptide.
double peptideMass(const std::string& sequence);

// Fully tryptic peptides (after K or R, not before P) of 6 to 30 residues
// made of known letters, from every protein of the file; duplicates removed.
std::vector<std::string> digestFasta(const std::string& path);
std::vector<std::string> randomPeptides(std::size_t count, std::mt19937_64& random);

struct FragmentIon {
    double mz;
    double relativeIntensity;
};
// b and y ions at charge 1 (and 2 for precursors above 2+), each with its
// isotope peak, and water and ammonia losses.
std::vector<FragmentIon> fragmentLadder(const std::string& sequence, std::int32_t precursorCharge,
                                        std::mt19937_64& random);
