#pragma once
// What a user looks at first in an LC/MS/MS run, read from its export: the
// total ion current and the base peak of every survey scan, when the MS/MS
// spectra were taken, and how intense each precursor was in the survey scan
// before it.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/openformat/open_format_export.h"

struct SurveyPoint {
    double minutes = 0.0;
    double totalIonCurrent = 0.0;  // sum of the scan's intensities
    double basePeak = 0.0;         // its highest intensity
};

struct MsmsPoint {
    double minutes = 0.0;
    double precursorMz = 0.0;
    // The highest survey intensity within precursorWindowMz of the precursor
    // in the last survey scan before; 0 when there is none or nothing there.
    double precursorIntensity = 0.0;
};

struct RunChromatogram {
    std::vector<SurveyPoint> survey;
    std::vector<MsmsPoint> msms;
    // Spectra without a start time: the chart cannot place them in time.
    std::size_t untimed = 0;
};

constexpr double precursorWindowMz = 0.05;

// Every spectrum of `run` in file order (survey arrays are decoded one at a
// time and not kept). Throws ExportReadError for a damaged spectrum.
RunChromatogram readRunChromatogram(const OpenFormatExport& run);

// MS/MS spectra per whole minute of retention time, from the first minute
// that holds one to the last (a run may start an hour into its
// acquisition): counts[i] counts those in [first + i, first + i + 1) minutes.
struct MinuteCounts {
    long first = 0;
    std::vector<long> counts = {};
    bool operator==(const MinuteCounts&) const = default;
};
MinuteCounts msmsPerMinute(const RunChromatogram& chromatogram);
