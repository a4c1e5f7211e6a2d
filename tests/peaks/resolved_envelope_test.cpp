#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/peaks/resolved_envelope.h"

namespace {

constexpr double kProton = 1.007276467;

struct Isotope {
    std::int32_t index;
    double ppmOffset = 0.0;
    double heightFactor = 1.0;
};

// A peptide's envelope: isotopes 0..4 at their pattern heights (scaled to
// 1e6), each moved by its offset in ppm and scaled by its factor.
SpectrumPoints envelope(double monoMz, std::int32_t charge, std::vector<Isotope> changes = {}) {
    const double mass = (monoMz - kProton) * charge;
    SpectrumPoints peaks;
    for (std::int32_t k = 0; k < 5; ++k) {
        Isotope isotope{k};
        for (const Isotope& change : changes) {
            if (change.index == k) isotope = change;
        }
        const double mz = monoMz + k * kPeptideIsotopeSpacing / charge;
        peaks.push_back({mz * (1.0 + isotope.ppmOffset * 1.0e-6),
                         1.0e6 * peptideIsotopeHeight(mass, k) * isotope.heightFactor});
    }
    return peaks;
}

SpectrumPoints withPeak(SpectrumPoints peaks, double mz, double intensity) {
    peaks.push_back({mz, intensity});
    std::sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) { return a.mOverZ < b.mOverZ; });
    return peaks;
}

SpectrumPoints merged(SpectrumPoints a, const SpectrumPoints& b) {
    for (const SpectrumPoint& p : b) a = withPeak(a, p.mOverZ, p.intensity);
    return a;
}

struct Case {
    std::string name;
    SpectrumPoints peaks;
    double precursorMz;
    std::int32_t maxCharge;
    std::int32_t charge;  // 0: no reading
    double monoisotopicMz = 0.0;
};

TEST(ResolvedEnvelope, ChargeOnlyWhenTheEnvelopeIsResolvedAndUnambiguous) {
    const std::vector<Case> cases = {
        {"doubly charged, precursor on its monoisotope", envelope(650.3, 2), 650.3, 5, 2, 650.3},
        {"triply charged, precursor on its second isotope", envelope(700.0, 3),
         700.0 + kPeptideIsotopeSpacing / 3, 5, 3, 700.0},
        {"charge 4", envelope(820.4, 4), 820.4, 5, 4, 820.4},
        {"charge 5 with maxCharge 4 is no charge 1", envelope(820.4, 5), 820.4, 4, 0},
        {"charge 6 beyond maxCharge 5 is neither 3 nor 2", envelope(820.4, 6), 820.4, 5, 0},
        {"charge 4 beyond maxCharge 2 is not 2", envelope(820.4, 4), 820.4, 2, 0},
        {"singly charged", envelope(1001.0, 1), 1001.0, 5, 1, 1001.0},
        {"singly charged beside a weak peak at half spacing stays 1",
         withPeak(envelope(1001.0, 1), 1001.0 + kPeptideIsotopeSpacing / 2, 0.15e6 * 0.6), 1001.0, 5, 1, 1001.0},
        {"isotope 1 at 14 ppm is still on the envelope", envelope(1000.0, 2, {{1, 14.0}}), 1000.0, 5, 2, 1000.0},
        {"isotope 1 at 16 ppm: not charge 1 from isotopes 0, 2, 4", envelope(1000.0, 2, {{1, 16.0}}), 1000.0, 5, 0},
        {"precursor 14 ppm from its peak", envelope(650.3, 2), 650.3 * (1.0 + 14e-6), 5, 2, 650.3},
        {"precursor 16 ppm from every peak", envelope(650.3, 2), 650.3 * (1.0 - 16e-6), 5, 0},
        {"isotope 1 five times its pattern height", envelope(650.3, 2, {{1, 0.0, 5.0}}), 650.3, 5, 0},
        {"a lone peak is not resolved", SpectrumPoints{{650.3, 1e6}, {652.0, 1e5}}, 650.3, 5, 0},
        {"no peak at the precursor", envelope(650.3, 2), 655.0, 5, 0},
        {"charge 2 and charge 3 envelopes on one peak", merged(envelope(700.0, 2), envelope(700.0, 3)), 700.0, 5, 0},
        {"singly charged beside a half-spacing peak as strong as a doubly charged isotope 1",
         withPeak(envelope(1001.0, 1), 1001.0 + kPeptideIsotopeSpacing / 2, 0.55e6), 1001.0, 5, 0},
    };
    for (const Case& c : cases) {
        const std::optional<EnvelopeReading> reading = chargeFromResolvedEnvelope(c.peaks, c.precursorMz, 15.0, c.maxCharge);
        EXPECT_EQ(reading ? reading->charge : 0, c.charge) << c.name;
        if (reading && c.monoisotopicMz != 0.0) {
            EXPECT_NEAR(reading->monoisotopicMz, c.monoisotopicMz, 1e-3) << c.name;
        }
    }
}

}  // namespace
