#pragma once
// Shared fixture of the peak-processing tests: the chemistry tables loaded
// from the shipped parameter files, the picking settings every case starts
// from, and short-hand for building peak lists.
#include <gtest/gtest.h>
#include <unistd.h>

#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/elements.h"
#include "core/peaks/kestrane_peak.h"
#include "core/peaks/noise_statistics.h"
#include "core/peaks/peak_pick_params.h"

// m(H) and friends from elements.txt, written out so that expected values
// are derived independently of the code under test.
inline constexpr double kH = 1.00782503223;
inline constexpr double kO = 15.99491461957;
inline constexpr double kC = 12.0;
inline constexpr double kH2O = 2 * kH + kO;
inline constexpr double kCO2 = kC + 2 * kO;

inline KestranePeak fragment(double mz, double intensity) { return makeFragmentPeak(mz, intensity); }

inline PeakList peaks(std::initializer_list<std::pair<double, double>> mzIntensity) {
    PeakList list;
    for (const auto& [mz, intensity] : mzIntensity) list.push_back(fragment(mz, intensity));
    return list;
}

inline std::vector<double> mzOf(const PeakList& list) {
    std::vector<double> mz;
    for (const KestranePeak& peak : list) mz.push_back(peak.mOverZ);
    return mz;
}

// The tables of the shipped parameter files, with pyridylethylated cysteine.
inline const ChemistryTables& chemistry() {
    static const ChemistryTables tables = [] {
        if (chdir(QUARROW_SOURCE_DIR) != 0) throw std::runtime_error("cannot enter " QUARROW_SOURCE_DIR);
        return initialise_amino_acid_weights("H", "O H", "H", "pyridylethylation", "C2 H3 N1 O1",
                                             formulaMonoisotopicMass);
    }();
    return tables;
}

// No centroiding, signal-to-noise 5, limit 1000, charges uncertain, floor 105.
inline PeakPickSettings pickSettings(PeakPickParams params = {0.0, 5, 1000, 0, 0}, std::int32_t chargesCertain = 0,
                                     double minFragmentMass = 105.0) {
    return {params, chargesCertain, minFragmentMass, chemistry().groups};
}

class PeakTest : public ::testing::Test {};
