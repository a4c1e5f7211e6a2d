#pragma once
// The spectrum-features log: one row per written peak list. Three programs'
// headers exist and a file keeps the header of its first run, so columns are
// found by name, never by position.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/report/log_lines.h"
#include "tools/report/run_names.h"

enum class FeaturesLayout { yepharvest, wiffharvest, qtof, unknown };

// Read from the header's column names; unknown when the first line is not a
// header at all.
FeaturesLayout featuresLayout(const std::vector<std::string_view>& header);
std::string describeLayout(FeaturesLayout layout);

struct WrittenSpectrum {
    int line = 0;
    std::string name;
    int sample = 1;
    std::optional<long> scanNumber;
    // wiffharvest: the scan time its name carries, in the 6 s (0.1 min)
    // steps the program prints.
    std::optional<long> nameScanTime;
    std::optional<double> retentionMinutes;  // of its first scan, when the run gives it
    std::optional<double> selectedParentMz;  // Th, as the run gave it
    std::optional<double> parentMz;          // Th
    int charge = 0;                  // 0: undetermined
    // What its block of the run's MGF file states (0: no CHARGE line), when
    // that file was read; else the .pkl header's `charge` is what a search
    // engine is given.
    std::optional<int> statedCharge;
    std::optional<int> instrumentCharge;  // the export's, where it carries one
    std::optional<long> numPeaks;    // after peak picking
    std::optional<long> numOriginalPeaks;
    std::optional<double> parentSignalNoise;  // precursor in the survey scans
    std::optional<double> maxIntensity;       // counts
    std::optional<double> noiseMean;
    std::optional<double> noiseStandardDeviation;
};

struct FeaturesSelection {
    FeaturesLayout layout = FeaturesLayout::unknown;
    std::vector<std::string> columns;
    std::vector<WrittenSpectrum> spectra;  // the run's readable rows, in file order
    std::vector<int> malformedLines;       // the run's rows that could not be read
};

// The rows of one run. Sample suffixes are taken only from a file whose
// header is wiffharvest's: yepharvest never writes them.
FeaturesSelection selectWrittenSpectra(const LogFile& file, std::string_view run, RunProgram program);
