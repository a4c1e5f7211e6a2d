#include "core/peaks/resolved_envelope.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kProton = 1.007276467;
// Heavy atoms per Da of a peptide of mean composition (13C, 2H, 15N, 17O, 33S).
constexpr double kHeavyAtomsPerDa = 1.0 / 1864.0;
constexpr std::int32_t kStepsAbove = 6;
constexpr std::int32_t kStepsBelow = 4;
// The monoisotopic peak may lie up to this many steps below the lowest
// peak found, too weak to be seen.
constexpr std::int32_t kUnseenBelow = 2;
// A found isotope may be this many times above or below its expected height;
// centroid heights of a survey scan scatter, and neighbours overlap.
constexpr double kHeightFactor = 2.5;
// An isotope the walk did not find counts against the pattern only when it
// was expected this many times above the weakest peak seen nearby: weak
// centroids of a survey scan come and go, and drift out of tolerance.
constexpr double kUnseenFactor = 3.0;
// How far around the envelope (Th) its weakest neighbour is sought.
constexpr double kFloorReach = 3.0;
// Isotopes expected below this share of the strongest one are not judged.
constexpr double kJudgedShare = 0.1;
// Below the monoisotope only another ion's peak can lie, and only a weak one
// is taken for that.
constexpr double kForeignShare = 0.2;
// A peak at a higher charge's spacing rules the lower charge out when it
// holds this share of the precursor peak's height: the next isotope of a
// peptide above 500 Da never holds less. It is sought in a wider window
// than the envelope's own peaks, so that an isotope just beyond the
// tolerance cannot leave the lower charge standing.
constexpr double kRulingShare = 0.2;
constexpr double kRulingWidening = 1.5;

double tolerance(double mz, double ppm) { return mz * ppm * 1.0e-6; }

// The most intense peak within the tolerance of `mz`.
const SpectrumPoint* peakAt(std::span<const SpectrumPoint> peaks, double mz, double ppm) {
    const double width = tolerance(mz, ppm);
    auto it = std::lower_bound(peaks.begin(), peaks.end(), mz - width,
                               [](const SpectrumPoint& peak, double value) { return peak.mOverZ < value; });
    const SpectrumPoint* best = nullptr;
    for (; it != peaks.end() && it->mOverZ <= mz + width; ++it) {
        if (it->intensity > 0.0 && (best == nullptr || it->intensity > best->intensity)) best = &*it;
    }
    return best;
}

// Heights found at steps below..above of `spacing` around the precursor peak
// (step 0), contiguous: the walk each way stops at the first step without a peak.
struct Chain {
    std::int32_t below = 0;
    std::vector<double> heights;  // heights[s - below] for step s
    bool emptyAbove = false;      // the walk up ended at an empty step, not at its last one
    // The weakest peak seen around the envelope: an isotope expected well
    // above it would have been seen.
    double floor = 0.0;
    std::int32_t above() const { return below + static_cast<std::int32_t>(heights.size()) - 1; }
};

double weakestPeakBetween(std::span<const SpectrumPoint> peaks, double low, double high) {
    auto it = std::lower_bound(peaks.begin(), peaks.end(), low,
                               [](const SpectrumPoint& peak, double value) { return peak.mOverZ < value; });
    double weakest = 0.0;
    for (; it != peaks.end() && it->mOverZ <= high; ++it) {
        if (it->intensity > 0.0 && (weakest == 0.0 || it->intensity < weakest)) weakest = it->intensity;
    }
    return weakest;
}

Chain walkChain(std::span<const SpectrumPoint> peaks, const SpectrumPoint& precursor, double spacing, double ppm) {
    std::vector<double> down;
    for (std::int32_t s = 1; s <= kStepsBelow; ++s) {
        const SpectrumPoint* peak = peakAt(peaks, precursor.mOverZ - s * spacing, ppm);
        if (peak == nullptr) break;
        down.push_back(peak->intensity);
    }
    Chain chain;
    chain.below = -static_cast<std::int32_t>(down.size());
    chain.heights.assign(down.rbegin(), down.rend());
    chain.heights.push_back(precursor.intensity);
    for (std::int32_t s = 1; s <= kStepsAbove; ++s) {
        const SpectrumPoint* peak = peakAt(peaks, precursor.mOverZ + s * spacing, ppm);
        if (peak == nullptr) {
            chain.emptyAbove = true;
            break;
        }
        chain.heights.push_back(peak->intensity);
    }
    chain.floor = weakestPeakBetween(peaks, precursor.mOverZ + (chain.below - kUnseenBelow) * spacing - kFloorReach,
                                     precursor.mOverZ + (chain.above() + 1) * spacing + kFloorReach);
    return chain;
}

// How well the chain fits a pattern whose monoisotopic peak is step `mono`:
// the worst height factor, or nothing when fewer than two isotopes remain,
// a peak below the monoisotope is too strong to be another ion's, or a step
// the walk found empty should have held a peak well above the weakest one
// seen nearby.
std::optional<double> patternFit(const Chain& chain, std::int32_t mono, double monoMz, std::int32_t charge) {
    const double mass = (monoMz - kProton) * charge;
    const std::int32_t first = std::max(mono, chain.below);
    if (!(mass > 0.0) || chain.above() - first < 1) return std::nullopt;
    const auto height = [&](std::int32_t step) { return chain.heights[static_cast<std::size_t>(step - chain.below)]; };
    const auto expected = [&](std::int32_t step) { return peptideIsotopeHeight(mass, step - mono); };
    const double strongest = *std::max_element(chain.heights.begin(), chain.heights.end());
    for (std::int32_t s = chain.below; s < first; ++s) {
        if (height(s) >= kForeignShare * strongest) return std::nullopt;
    }
    // Heights are judged where the pattern is strong: the weak far isotopes
    // sink into the other ions of a survey scan.
    double strongestExpected = 0.0;
    for (std::int32_t s = first; s <= chain.above(); ++s) strongestExpected = std::max(strongestExpected, expected(s));
    const auto judged = [&](std::int32_t step) { return expected(step) >= kJudgedShare * strongestExpected; };
    double logScale = 0.0;
    std::int32_t count = 0;
    for (std::int32_t s = first; s <= chain.above(); ++s) {
        if (!judged(s)) continue;
        logScale += std::log(height(s) / expected(s));
        ++count;
    }
    if (count < 2) return std::nullopt;
    const double scale = std::exp(logScale / count);
    double worst = 1.0;
    for (std::int32_t s = first; s <= chain.above(); ++s) {
        if (!judged(s)) continue;
        const double ratio = height(s) / (scale * expected(s));
        worst = std::max(worst, std::max(ratio, 1.0 / ratio));
    }
    for (std::int32_t s = mono; s < chain.below; ++s) {
        if (scale * expected(s) >= kUnseenFactor * chain.floor) return std::nullopt;
    }
    if (chain.emptyAbove && scale * expected(chain.above() + 1) >= kUnseenFactor * chain.floor) return std::nullopt;
    return worst;
}

std::optional<EnvelopeReading> readingAtCharge(std::span<const SpectrumPoint> peaks, const SpectrumPoint& precursor,
                                               double ppm, std::int32_t charge) {
    const double spacing = kPeptideIsotopeSpacing / charge;
    const Chain chain = walkChain(peaks, precursor, spacing, ppm);
    std::optional<EnvelopeReading> best;
    for (std::int32_t mono = 0; mono >= chain.below - kUnseenBelow; --mono) {
        const double monoMz = precursor.mOverZ + mono * spacing;
        const std::optional<double> worst = patternFit(chain, mono, monoMz, charge);
        if (!worst || *worst > kHeightFactor || (best && *worst >= best->worstFactor)) continue;
        const std::int32_t found = chain.above() - std::max(mono, chain.below) + 1;
        best = EnvelopeReading{charge, precursor.mOverZ, monoMz, found, *worst};
    }
    return best;
}

// A peak beside the precursor at the spacing of a multiple m of `charge`
// makes the envelope at least that charge: the lower reading only saw every
// m-th isotope. Up to maxCharge one such peak next to the precursor is
// enough; above it, where the spacing shrinks into the other ions of the
// scan, two of the first two steps on each side that are not the lower
// charge's own isotopes must hold one.
bool higherChargeSpacingSeen(std::span<const SpectrumPoint> peaks, const SpectrumPoint& precursor, double ppm,
                             std::int32_t charge, std::int32_t maxCharge) {
    const auto seen = [&](double mz) {
        const SpectrumPoint* peak = peakAt(peaks, mz, kRulingWidening * ppm);
        return peak != nullptr && peak->intensity >= kRulingShare * precursor.intensity;
    };
    for (std::int32_t multiple = 2; multiple * charge <= 2 * maxCharge; ++multiple) {
        const bool beyond = multiple * charge > maxCharge;
        const double spacing = kPeptideIsotopeSpacing / (multiple * charge);
        std::int32_t found = 0;
        for (std::int32_t step = 1, taken = 0; taken < (beyond ? 2 : 1); ++step) {
            if (step % multiple == 0) continue;
            ++taken;
            found += (seen(precursor.mOverZ - step * spacing) ? 1 : 0) + (seen(precursor.mOverZ + step * spacing) ? 1 : 0);
        }
        if (found >= (beyond ? 2 : 1)) return true;
    }
    return false;
}

}  // namespace

double peptideIsotopeHeight(double mass, std::int32_t isotope) {
    if (isotope < 0) return 0.0;
    const double lambda = mass * kHeavyAtomsPerDa;
    return std::exp(isotope * std::log(lambda) - lambda - std::lgamma(isotope + 1.0));
}

std::optional<EnvelopeReading> chargeFromResolvedEnvelope(std::span<const SpectrumPoint> peaks, double precursorMz,
                                                          double ppmTolerance, std::int32_t maxCharge) {
    const SpectrumPoint* precursor = peakAt(peaks, precursorMz, ppmTolerance);
    if (precursor == nullptr || !(precursor->intensity > 0.0)) return std::nullopt;
    std::vector<EnvelopeReading> fits;
    for (std::int32_t z = 1; z <= maxCharge; ++z) {
        if (higherChargeSpacingSeen(peaks, *precursor, ppmTolerance, z, maxCharge)) continue;
        if (std::optional<EnvelopeReading> reading = readingAtCharge(peaks, *precursor, ppmTolerance, z)) {
            fits.push_back(*reading);
        }
    }
    if (fits.empty()) return std::nullopt;
    // Ascending charges: each must divide the highest, or the envelope is
    // two overlapping ones.
    const EnvelopeReading& highest = fits.back();
    for (const EnvelopeReading& fit : fits) {
        if (highest.charge % fit.charge != 0) return std::nullopt;
    }
    return highest;
}
