// Cost of picking and scoring one MS/MS spectrum of 300 peaks: a tryptic
// peptide's b and y ladders with isotopes, a precursor, and noise.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/elements.h"
#include "core/peaks/clone_peaks.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_orderings.h"
#include "core/peaks/peak_pick_params.h"
#include "core/peaks/peak_picking.h"
#include "core/peaks/spec_features.h"

namespace {

KestranePeak rawPeak(double mz, double intensity) { return makeFragmentPeak(mz, intensity); }

// Deterministic noise so that every run measures the same work.
struct Lcg {
    std::uint64_t state = 88172645463325252ull;
    double next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    }
};

PeakList spectrum(double& precursorMz, const ChemistryTables& chemistry) {
    const std::string peptide = "LGEYGFQNALIVR";
    const double water = formulaMonoisotopicMass("H2 O");
    const double proton = formulaMonoisotopicMass("H");
    PeakList list;
    double b = proton;
    double total = water + proton;
    for (const char residue : peptide) total += chemistry.residueMass(residue);
    precursorMz = (total + proton) / 2.0;
    for (std::size_t i = 0; i + 1 < peptide.size(); ++i) {
        b += chemistry.residueMass(peptide[i]);
        const double y = total + proton - b;
        for (const double mz : {b, y}) {
            const double height = 2000.0 + 300.0 * static_cast<double>((i * 7) % 11);
            list.push_back(rawPeak(mz, height));
            list.push_back(rawPeak(mz + 1.00335, height * 0.6));
            list.push_back(rawPeak(mz + 2.0067, height * 0.2));
        }
    }
    list.push_back(rawPeak(precursorMz, 8000.0));
    list.push_back(rawPeak(precursorMz - 9.0053, 3000.0));
    Lcg random;
    while (list.size() < 300) list.push_back(rawPeak(110.0 + 1500.0 * random.next(), 20.0 + 400.0 * random.next()));
    sortByMOverZAscending(list);
    return list;
}

double microsecondsPerSpectrum(const PeakList& raw, const KestranePeak& parent, const PeakPickSettings& settings,
                               const ChemistryTables& chemistry, int chargeUnknown, int rounds, std::size_t& picked,
                               int& tagLength) {
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round) {
        PickedPeaks list = pickPeaks(clonePeaks(raw), parent, settings);
        const SpecFeatures features = calculateSpecFeatures(list.peaks, static_cast<std::int32_t>(raw.size()), 0,
                                                            parent, chargeUnknown, list.noise, 0.5,
                                                            settings.instrumentChargesCertain, chemistry);
        picked = list.peaks.size();
        tagLength = features.maxSequenceTagLength;
    }
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / rounds;
}

}  // namespace

int main() {
    if (chdir(QUARROW_SOURCE_DIR) != 0) return 1;
    const ChemistryTables chemistry =
        initialise_amino_acid_weights("H", "O H", "H", "pyridylethylation", "C2 H3 N1 O1", formulaMonoisotopicMass);
    double precursorMz = 0.0;
    const PeakList raw = spectrum(precursorMz, chemistry);
    const KestranePeak parent = makeParentKestranePeak(precursorMz, 2, 0.5, chemistry.groups);
    constexpr int kRounds = 20000;

    struct Setting {
        const char* name;
        double binning;
        int limit;
        int chargesCertain;
        int bypassNoise = 0;
    };
    for (const Setting setting : {Setting{"ion trap, limit 1000", 0.00001, 1000, 0},
                                  Setting{"ion trap, limit 25", 0.00001, 25, 0},
                                  Setting{"centroiding 0.5, limit 1000", 0.5, 1000, 0},
                                  Setting{"charges certain, limit 1000", 0.00001, 1000, 1},
                                  Setting{"no noise filter, limit 60", 0.00001, 60, 0, 1}}) {
        PeakPickSettings settings;
        settings.params = {setting.binning, 5, setting.limit, 0, setting.bypassNoise};
        settings.instrumentChargesCertain = setting.chargesCertain;
        settings.masses = chemistry.groups;
        for (const int chargeUnknown : {0, 1}) {
            std::size_t picked = 0;
            int tagLength = 0;
            microsecondsPerSpectrum(raw, parent, settings, chemistry, chargeUnknown, 200, picked, tagLength);  // warm up
            const double cost = microsecondsPerSpectrum(raw, parent, settings, chemistry, chargeUnknown, kRounds, picked,
                                                        tagLength);
            std::printf("%-30s charge %-7s %zu raw -> %zu picked, tag %d: %.2f us per spectrum\n", setting.name,
                        chargeUnknown != 0 ? "unknown" : "known", raw.size(), picked, tagLength, cost);
        }
    }
    return 0;
}
