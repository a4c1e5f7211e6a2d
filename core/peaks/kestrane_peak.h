#pragma once
// One peak of a spectrum. Every spectrum of both programs is a peak list:
// a std::vector<KestranePeak>, normally in ascending m/z.
#include <cstdint>
#include <vector>

struct KestranePeak {
    double mOverZ = 0.0;     // Th
    double mPlusH = 0.0;     // singly protonated mass
    double tolerance = 0.0;  // parent peaks: fragment pairing tolerance (Da)
    double intensity = 0.0;
    std::int32_t charge = 0;
};

using PeakList = std::vector<KestranePeak>;

// A fragment peak as the front ends build it from the data: taken as singly
// charged, so its M+H is its m/z.
inline KestranePeak makeFragmentPeak(double mOverZ, double intensity) {
    KestranePeak peak;
    peak.mOverZ = mOverZ;
    peak.mPlusH = mOverZ;
    peak.intensity = intensity;
    peak.charge = 1;
    return peak;
}
