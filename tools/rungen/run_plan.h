#pragma once
// A synthetic data-dependent run: which spectrum is a survey scan and which
// fragments which peptide at what time, and the peaks of each spectrum,
// made afresh (and identically) whenever asked for.
#include <cstdint>
#include <string>
#include <vector>

struct RunSettings {
    std::size_t spectra = 1000;
    std::size_t topN = 5;
    std::uint64_t seed = 1;
    std::size_t peptideCount = 200;
    std::string fastaPath;  // "" for random sequences
    bool profileSurveys = false;
    bool fragmentOnly = false;  // no survey scans at all
    // Above 0: survey peaks scatter by this many ppm (standard deviation), as
    // on a high-resolution analyser, instead of by 0.003 Th.
    double surveyPpm = 0.0;
};

struct Analyte {
    std::string sequence;
    std::int32_t charge;
    double monoisotopicMz;
    double apexSeconds;
    double widthSeconds;
    double abundance;
};

struct PlannedSpectrum {
    std::int32_t msLevel;
    double seconds;
    std::int32_t analyte;     // -1 for a survey scan
    std::int32_t cycle;       // 1-based: one survey scan and the scans it chose
    std::int32_t experiment;  // 1-based place in the cycle: the survey scan 1, the n-th choice n + 1
};

struct SyntheticPeaks {
    std::vector<double> mz;
    std::vector<double> intensity;
};

class RunPlan {
public:
    explicit RunPlan(const RunSettings& settings);

    const std::vector<PlannedSpectrum>& spectra() const { return spectra_; }
    const std::vector<Analyte>& analytes() const { return analytes_; }
    bool profileSurveys() const { return settings_.profileSurveys; }
    SyntheticPeaks peaks(std::size_t index) const;

private:
    double elution(const Analyte& analyte, double seconds) const;
    SyntheticPeaks surveyPeaks(std::size_t index) const;
    SyntheticPeaks fragmentPeaks(std::size_t index) const;

    RunSettings settings_;
    std::vector<Analyte> analytes_;
    std::vector<PlannedSpectrum> spectra_;
};
