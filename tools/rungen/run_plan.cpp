#include "tools/rungen/run_plan.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <random>
#include <stdexcept>

#include "tools/rungen/peptides.h"

namespace {

constexpr double secondsPerSpectrum = 0.25;
constexpr double minimumMz = 300.0;
constexpr double maximumMz = 2000.0;
constexpr int isotopePeaks = 5;
// A precursor is fragmented at most this often within the exclusion window,
// so that the same ion turns up in nearby scans as on an ion trap.
constexpr int repeatsBeforeExclusion = 2;
constexpr double exclusionSeconds = 30.0;

std::mt19937_64 spectrumRandom(std::uint64_t seed, std::size_t index) {
    std::seed_seq sequence{seed, static_cast<std::uint64_t>(index), std::uint64_t{0x9e3779b97f4a7c15u}};
    return std::mt19937_64(sequence);
}

// Relative heights of the isotope envelope (Poisson in the number of heavy
// atoms, about one per 1800 Da).
std::vector<double> isotopeEnvelope(double mass) {
    const double lambda = mass / 1800.0;
    std::vector<double> heights;
    double term = std::exp(-lambda);
    for (int k = 0; k < isotopePeaks; ++k) {
        heights.push_back(term);
        term *= lambda / (k + 1);
    }
    const double highest = *std::max_element(heights.begin(), heights.end());
    for (double& height : heights) height /= highest;
    return heights;
}

void sortByMz(SyntheticPeaks& peaks) {
    std::vector<std::size_t> order(peaks.mz.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return peaks.mz[a] < peaks.mz[b]; });
    SyntheticPeaks sorted;
    for (const std::size_t i : order) {
        sorted.mz.push_back(peaks.mz[i]);
        sorted.intensity.push_back(peaks.intensity[i]);
    }
    peaks = std::move(sorted);
}

}  // namespace

RunPlan::RunPlan(const RunSettings& settings) : settings_(settings) {
    std::mt19937_64 random(settings.seed);
    std::vector<std::string> sequences =
        settings.fastaPath.empty() ? randomPeptides(settings.peptideCount, random) : digestFasta(settings.fastaPath);
    std::shuffle(sequences.begin(), sequences.end(), random);
    if (sequences.size() > settings.peptideCount) sequences.resize(settings.peptideCount);

    const double runSeconds = static_cast<double>(settings.spectra) * secondsPerSpectrum;
    std::uniform_real_distribution<double> apex(0.0, runSeconds);
    std::uniform_real_distribution<double> width(4.0, 15.0);
    std::lognormal_distribution<double> abundance(11.0, 1.2);
    std::discrete_distribution<int> charge({10, 50, 30, 10});
    for (const std::string& sequence : sequences) {
        const std::int32_t z = charge(random) + 1;
        const double mz = (peptideMass(sequence) + z * protonMass) / z;
        if (mz < minimumMz || mz > maximumMz) continue;
        analytes_.push_back({sequence, z, mz, apex(random), width(random), abundance(random)});
    }

    if (settings.fragmentOnly && analytes_.empty()) throw std::runtime_error("no peptide to fragment");

    // Survey scan, then the N most intense eluting precursors not excluded.
    std::map<std::int32_t, std::vector<double>> fragmented;
    double now = 0.0;
    std::int32_t cycle = 0;
    // Without survey scans the choices of a cycle are experiments 1 to N.
    const std::int32_t firstChoice = settings.fragmentOnly ? 1 : 2;
    while (spectra_.size() < settings.spectra) {
        ++cycle;
        if (!settings.fragmentOnly) spectra_.push_back({1, now, -1, cycle, 1});
        std::vector<std::pair<double, std::int32_t>> candidates;
        for (std::size_t a = 0; a < analytes_.size(); ++a) {
            const double signal = elution(analytes_[a], now);
            if (signal < 2000.0) continue;
            auto& times = fragmented[static_cast<std::int32_t>(a)];
            const auto recent = std::count_if(times.begin(), times.end(), [&](double t) { return now - t < exclusionSeconds; });
            if (recent < repeatsBeforeExclusion) candidates.emplace_back(signal, static_cast<std::int32_t>(a));
        }
        std::sort(candidates.rbegin(), candidates.rend());
        std::size_t taken = 0;
        for (const auto& [signal, a] : candidates) {
            if (taken == settings.topN || spectra_.size() >= settings.spectra) break;
            now += secondsPerSpectrum;
            spectra_.push_back({2, now, a, cycle, firstChoice + static_cast<std::int32_t>(taken)});
            fragmented[a].push_back(now);
            ++taken;
        }
        if (settings.fragmentOnly && taken == 0 && !analytes_.empty()) {
            // Nothing elutes: keep the run going with the nearest peptide.
            now += secondsPerSpectrum;
            spectra_.push_back({2, now, static_cast<std::int32_t>(spectra_.size() % analytes_.size()), cycle, firstChoice});
        }
        now += secondsPerSpectrum;
    }
    spectra_.resize(settings.spectra);
}

double RunPlan::elution(const Analyte& analyte, double seconds) const {
    const double offset = (seconds - analyte.apexSeconds) / analyte.widthSeconds;
    return analyte.abundance * std::exp(-0.5 * offset * offset);
}

SyntheticPeaks RunPlan::peaks(std::size_t index) const {
    return spectra_[index].msLevel == 1 ? surveyPeaks(index) : fragmentPeaks(index);
}

SyntheticPeaks RunPlan::surveyPeaks(std::size_t index) const {
    std::mt19937_64 random = spectrumRandom(settings_.seed, index);
    std::normal_distribution<double> jitter(0.0, 0.003);
    std::normal_distribution<double> unit(0.0, 1.0);
    std::uniform_real_distribution<double> noiseMz(minimumMz, maximumMz);
    std::exponential_distribution<double> noiseHeight(1.0 / 300.0);
    const double now = spectra_[index].seconds;

    SyntheticPeaks centroids;
    for (const Analyte& analyte : analytes_) {
        const double signal = elution(analyte, now);
        if (signal < 50.0) continue;
        const std::vector<double> envelope = isotopeEnvelope(analyte.monoisotopicMz * analyte.charge);
        for (int k = 0; k < isotopePeaks; ++k) {
            const double mz = analyte.monoisotopicMz + k * isotopeSpacing / analyte.charge;
            centroids.mz.push_back(settings_.surveyPpm > 0.0 ? mz * (1.0 + settings_.surveyPpm * 1.0e-6 * unit(random))
                                                             : mz + jitter(random));
            centroids.intensity.push_back(signal * envelope[static_cast<std::size_t>(k)]);
        }
    }
    for (int n = 0; n < 60; ++n) {
        centroids.mz.push_back(noiseMz(random));
        centroids.intensity.push_back(noiseHeight(random));
    }
    sortByMz(centroids);
    if (!settings_.profileSurveys) return centroids;

    // Each centroid as a Gaussian sampled every 0.02 Th over +-0.1 Th.
    SyntheticPeaks profile;
    constexpr double step = 0.02;
    constexpr double sigma = 0.035;
    for (std::size_t p = 0; p < centroids.mz.size(); ++p) {
        for (int s = -5; s <= 5; ++s) {
            const double offset = s * step;
            profile.mz.push_back(centroids.mz[p] + offset);
            profile.intensity.push_back(centroids.intensity[p] * std::exp(-0.5 * (offset / sigma) * (offset / sigma)));
        }
    }
    sortByMz(profile);
    return profile;
}

SyntheticPeaks RunPlan::fragmentPeaks(std::size_t index) const {
    std::mt19937_64 random = spectrumRandom(settings_.seed, index);
    const PlannedSpectrum& planned = spectra_[index];
    const Analyte& analyte = analytes_[static_cast<std::size_t>(planned.analyte)];
    const double scale = std::max(elution(analyte, planned.seconds), 500.0) * 0.05;
    const double precursorMass = analyte.monoisotopicMz * analyte.charge;

    SyntheticPeaks peaks;
    std::uniform_real_distribution<double> keep(0.0, 1.0);
    std::normal_distribution<double> jitter(0.0, 0.05);
    for (const FragmentIon& ion : fragmentLadder(analyte.sequence, analyte.charge, random)) {
        if (ion.mz < 50.0 || ion.mz > precursorMass || keep(random) < 0.25) continue;
        peaks.mz.push_back(ion.mz + jitter(random));
        peaks.intensity.push_back(scale * ion.relativeIntensity);
    }
    std::uniform_real_distribution<double> noiseMz(50.0, std::min(precursorMass, maximumMz));
    std::exponential_distribution<double> noiseHeight(1.0 / (scale * 0.03));
    for (int n = 0; n < 40; ++n) {
        peaks.mz.push_back(noiseMz(random));
        peaks.intensity.push_back(noiseHeight(random));
    }
    sortByMz(peaks);
    return peaks;
}
