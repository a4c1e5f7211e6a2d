#pragma once
// The scan table of one sample of a .wiff file: one SciexMSscan record per
// stored scan, survey scans and MS/MS spectra alike, in acquisition order
// (period by period, cycle by cycle, experiment by experiment). Record i
// holds scan number i + 1. The reader fills it; every later stage walks it
// and updates records in place; the driver drops it after the sample.
#include <cstdint>
#include <vector>

#include "core/peaks/kestrane_peak.h"
#include "core/peaks/spec_features.h"
#include "core/peaks/spectrum_points.h"

struct SciexMSscan {
    std::int32_t scanNumber = 0;
    std::int32_t lastScanNumber = 0;
    std::int32_t mergedAway = 0;
    std::int32_t charge = 0;  // 0 = undetermined
    std::int32_t chargePending = 0;
    double collisionEnergy = 0.0;
    std::int32_t isSurveyScan = 0;
    std::int32_t rejected = 0;
    // A survey scan's peaks (centroided on a QSTAR), in ascending m/z. They
    // are most of a sample's memory, so they are kept as m/z and intensity.
    SpectrumPoints peaks;
    // An MS/MS spectrum's centroided peaks keep the apex's m/z as their M+H,
    // which the b/y pair count reads: the full peak records are kept.
    PeakList fragmentPeaks;
    std::int32_t numPeaks = 0;       // column numOriginalPeaks
    std::int32_t rawPointCount = 0;  // column numProfilePeaks
    double precursorIntensity = 0.0;
    double selectedParentMz = 0.0;
    double parentMz = 0.0;
    float scanTime = 0.0F;  // cycle time x 0.16666667, printed "%04.0f" in every spectrum name
    std::int32_t msLevel = 0;
    std::int16_t scanType = 0;
    SpecFeatures specFeatures;
    float cycleTime = 0.0F;  // the scan's cycle time in seconds, as the file object reports it
};

struct ScanTable {
    std::vector<SciexMSscan> records;
    // Set by the reader when the sample had no level-1 scan.
    std::int32_t noMSscans = 0;

    std::int32_t size() const { return static_cast<std::int32_t>(records.size()); }
};

// Records with MS level 2, at least two peaks and not rejected among the
// first n: the count the driver prints after each stage.
std::int32_t countNonRejectedMSMSspectra(const ScanTable& table, std::int32_t n);
