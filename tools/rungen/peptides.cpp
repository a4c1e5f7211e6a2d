#include "tools/rungen/peptides.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <stdexcept>

double residueMass(char code) {
    switch (code) {
        case 'G': return 57.021464;
        case 'A': return 71.037114;
        case 'S': return 87.032028;
        case 'P': return 97.052764;
        case 'V': return 99.068414;
        case 'T': return 101.047679;
        case 'C': return 103.009185;
        case 'L': case 'I': return 113.084064;
        case 'N': return 114.042927;
        case 'D': return 115.026943;
        case 'Q': return 128.058578;
        case 'K': return 128.094963;
        case 'E': return 129.042593;
        case 'M': return 131.040485;
        case 'H': return 137.058912;
        case 'F': return 147.068414;
        case 'R': return 156.101111;
        case 'Y': return 163.063329;
        case 'W': return 186.079313;
        default: return 0.0;
    }
}

double peptideMass(const std::string& sequence) {
    double mass = waterMass;
    for (const char residue : sequence) mass += residueMass(residue);
    return mass;
}

namespace {

void digestProtein(const std::string& protein, std::set<std::string>& peptides) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < protein.size(); ++i) {
        const bool cleave = (protein[i] == 'K' || protein[i] == 'R') && (i + 1 == protein.size() || protein[i + 1] != 'P');
        if (!cleave && i + 1 != protein.size()) continue;
        const std::string peptide = protein.substr(start, i + 1 - start);
        const bool known = std::all_of(peptide.begin(), peptide.end(), [](char c) { return residueMass(c) > 0.0; });
        if (known && peptide.size() >= 6 && peptide.size() <= 30) peptides.insert(peptide);
        start = i + 1;
    }
}

}  // namespace

std::vector<std::string> digestFasta(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot open the FASTA file " + path);
    std::set<std::string> peptides;
    std::string line;
    std::string protein;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '>') {
            digestProtein(protein, peptides);
            protein.clear();
        } else {
            for (const char c : line) {
                if (std::isalpha(static_cast<unsigned char>(c))) protein += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
    }
    digestProtein(protein, peptides);
    return {peptides.begin(), peptides.end()};
}

std::vector<std::string> randomPeptides(std::size_t count, std::mt19937_64& random) {
    static const std::string residues = "GASPVTLINDQEMHFYWC";
    std::uniform_int_distribution<std::size_t> length(6, 19);
    std::uniform_int_distribution<std::size_t> letter(0, residues.size() - 1);
    std::vector<std::string> peptides;
    for (std::size_t i = 0; i < count; ++i) {
        std::string peptide;
        const std::size_t size = length(random);
        for (std::size_t j = 0; j < size; ++j) peptide += residues[letter(random)];
        peptide += (random() & 1) != 0 ? 'K' : 'R';
        peptides.push_back(peptide);
    }
    return peptides;
}

std::vector<FragmentIon> fragmentLadder(const std::string& sequence, std::int32_t precursorCharge,
                                        std::mt19937_64& random) {
    std::uniform_real_distribution<double> strength(0.05, 1.0);
    std::vector<FragmentIon> ions;
    const double total = peptideMass(sequence);
    double prefix = 0.0;
    const std::int32_t maxFragmentCharge = precursorCharge > 2 ? 2 : 1;
    for (std::size_t cut = 1; cut < sequence.size(); ++cut) {
        prefix += residueMass(sequence[cut - 1]);
        const double bNeutral = prefix;
        const double yNeutral = total - prefix;
        for (std::int32_t z = 1; z <= maxFragmentCharge; ++z) {
            for (const double neutral : {bNeutral, yNeutral}) {
                const double height = strength(random) * (z == 1 ? 1.0 : 0.4) * (neutral == yNeutral ? 1.3 : 1.0);
                const double mz = (neutral + z * protonMass) / z;
                ions.push_back({mz, height});
                ions.push_back({mz + isotopeSpacing / z, height * std::min(0.9, neutral / 2000.0)});
                ions.push_back({mz - waterMass / z, height * 0.15});
                ions.push_back({mz - ammoniaMass / z, height * 0.08});
            }
        }
    }
    return ions;
}
