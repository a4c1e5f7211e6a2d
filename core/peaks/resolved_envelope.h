#pragma once
// The charge of a precursor read from its resolved isotope envelope in a
// high-resolution survey scan: isotope peaks 1/z apart within a tolerance in
// ppm, heights that fit a peptide's isotope pattern, and no peak at the
// spacing of a higher charge that would make the lower reading a subset of a
// higher one. Pure functions on centroided peaks in ascending m/z.
#include <cstdint>
#include <optional>
#include <span>

#include "core/peaks/spectrum_points.h"

// The mean spacing of a peptide's isotope peaks (Th at charge 1): mostly
// 13C - 12C, pulled down a little by 15N, 18O and 34S.
inline constexpr double kPeptideIsotopeSpacing = 1.00235;

struct EnvelopeReading {
    std::int32_t charge = 0;
    double precursorPeakMz = 0.0;  // the survey peak taken for the precursor
    double monoisotopicMz = 0.0;   // the lowest isotope of the fitted pattern
    std::int32_t isotopePeaks = 0; // peaks found 1/z apart, the precursor's included
    double worstFactor = 1.0;      // largest factor between a found and its expected height
};

// Relative heights of the isotope peaks of a peptide of neutral `mass` (Da),
// the monoisotopic peak first: a Poisson distribution of heavy atoms with the
// peptides' mean composition.
double peptideIsotopeHeight(double mass, std::int32_t isotope);

// The one charge from 1 to `maxCharge` whose envelope around the most intense
// peak within `ppmTolerance` of `precursorMz` is resolved and fits; nothing
// when there is no such peak, no charge fits, or two charges that are not
// multiples of one another both fit.
std::optional<EnvelopeReading> chargeFromResolvedEnvelope(std::span<const SpectrumPoint> peaks, double precursorMz,
                                                          double ppmTolerance, std::int32_t maxCharge);
