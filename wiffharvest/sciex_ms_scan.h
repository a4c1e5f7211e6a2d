#pragma once
// The scan table of one sample of a .wiff file: one SciexMSscan record per
// stored scan, survey scans and MS/MS spectra alike, in acquisition order
// (period by period, cycle by cycle, experiment by experiment). Record i
// holds scan number i + 1. The reader fills it; every later stage walks it
// and updates records in place; the driver drops it after the sample.
#include <cstdint>
#include <vector>

#include "core/extractor/record_table.h"
#include "core/extractor/spectrum_record.h"
#include "core/peaks/kestrane_peak.h"

// A survey scan's peaks (centroided on a QSTAR), in ascending m/z, are most
// of a sample's memory, so they are kept as m/z and intensity (`peaks`).
struct SciexMSscan : SpectrumRecord {
    bool mergedAway = false;
    double collisionEnergy = 0.0;
    bool isSurveyScan = false;
    // An MS/MS spectrum's centroided peaks keep the apex's m/z as their M+H,
    // which the b/y pair count reads: the full peak records are kept until
    // the filters; a spectrum to be written then keeps its m/z and
    // intensities in `peaks`.
    PeakList fragmentPeaks;
    std::int32_t rawPointCount = 0;  // column numProfilePeaks
    float scanTime = 0.0F;  // cycle time x 0.16666667, printed "%04.0f" in every spectrum name
    std::int16_t scanType = 0;
    float cycleTime = 0.0F;  // the scan's cycle time in seconds, as the file object reports it
};

using ScanTable = RecordTable<SciexMSscan>;

// Records with MS level 2, at least two peaks and not rejected among the
// first n (among records [first, end)): the count the driver prints after
// each stage.
std::int32_t countNonRejectedMSMSspectra(const ScanTable& table, std::int32_t n);
std::int32_t countNonRejectedMSMSspectra(const ScanTable& table, std::int32_t first, std::int32_t end);
