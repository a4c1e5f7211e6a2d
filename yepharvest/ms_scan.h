#pragma once
// The run table: one MSscan record per spectrum of the run, survey scans and
// MS/MS spectra alike, in acquisition order. Record i holds scan number i + 1.
// The reader fills it; every later stage walks it and updates records in place.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/peaks/kestrane_peak.h"
#include "core/peaks/spec_features.h"

// A peak as the run table keeps it. Every peak read (and every list merged
// from such peaks) has mPlusH equal to its m/z and charge 1, so the table
// keeps m/z and intensity only, at 16 bytes a peak instead of 40, and the
// full peak records are rebuilt for the stages that need them.
struct SpectrumPoint {
    double mOverZ = 0.0;
    double intensity = 0.0;
};
using SpectrumPoints = std::vector<SpectrumPoint>;

// The peak records of stored points: mPlusH = m/z, charge 1.
PeakList toKestranePeaks(const SpectrumPoints& points);
SpectrumPoints toSpectrumPoints(const PeakList& peaks);

struct MSscan {
    std::int32_t scanNumber = 0;
    std::int32_t lastScanNumber = 0;
    std::int32_t lastMergedIndex = 0;
    std::int32_t numMergedScans = 0;  // reported as numScansAfterParent
    std::int32_t charge = 0;          // 0 = not determined
    std::int32_t chargePending = 0;
    std::int32_t rejected = 0;
    SpectrumPoints peaks;
    std::int32_t numPeaks = 0;        // reported as numOriginalPeaks
    double selectedParentMz = 0.0;
    double parentMz = 0.0;
    double parentMzCentroid = 0.0;
    double basePeakIntensity = 0.0;
    double basePeakMz = 0.0;
    double precursorIntensity = 0.0;
    double noiseMean = 0.0;
    double noiseStandardDeviation = 0.0;
    double parentSignalNoise = 0.0;
    std::int32_t msLevel = 0;  // 0 in a record that was never read
    SpecFeatures specFeatures;
};

// The process-wide table; numScans() records, plus one zeroed record at the end.
std::vector<MSscan>& runTable();
std::int32_t numScans();
void setNumScans(std::int32_t count);
void allocateMSscanMemory(std::int32_t count);

// Greatest index <= `index` whose record is an MS scan; the record itself
// counts. Without one the process ends with status 1.
std::int32_t findIndexOfPreceedingMSscan(std::int32_t index);
// The same search without the fatal end: nothing when no MS scan precedes.
std::optional<std::int32_t> preceedingMSscan(std::int32_t index);

// Set by the reader when no spectrum of the run has MS level 1.
std::int32_t noMSscans();
void setNoMSscans(std::int32_t flag);
