#include "platform/analyst/wiff_sample.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numeric>
#include <tuple>

#include "core/util/format_text.h"
#include "core/util/two_cores.h"
#include "platform/analyst/scan_values.h"
#include "platform/analyst/wiff_native_id.h"

namespace {

struct PlacedSpectrum {
    std::int32_t period = 1;  // 1-based while laying out
    WiffScan scan;
    std::int16_t scanType = 0;
};

[[noreturn]] void inconsistent(const OpenFormatExport& source, std::size_t index, const std::string& id,
                               const std::string& why) {
    throw ExportReadError(formatText("The export %s has inconsistent spectrum ids: spectrum %zu (\"%s\") %s.",
                                     source.path().c_str(), index + 1, id.c_str(), why.c_str()));
}

double totalIonCurrent(const ExportSpectrum& spectrum, const ExportArrays& arrays) {
    if (spectrum.totalIonCurrent) {
        if (const std::optional<double> value = numberInText(*spectrum.totalIonCurrent)) return *value;
    }
    return std::accumulate(arrays.intensity.begin(), arrays.intensity.end(), 0.0);
}

// Without cycle and experiment keys a cycle starts at each level-1
// spectrum; spectra before the first one make up a cycle without it.
void layOutByMsLevel(std::vector<PlacedSpectrum>& placed, const std::vector<std::int32_t>& levels) {
    std::int32_t cycle = 0;
    std::int32_t nextExperiment = 1;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (levels[i] == 1) {
            if (i > 0) ++cycle;
            placed[i].scan.experiment = 0;
            nextExperiment = 1;
        } else {
            placed[i].scan.experiment = nextExperiment++;
        }
        placed[i].scan.cycle = cycle;
        placed[i].period = 1;
    }
}

std::vector<WiffPeriod> buildPeriods(std::vector<PlacedSpectrum> placed, const OpenFormatExport& source,
                                     const std::vector<std::string>& ids) {
    // File order decides which spectrum of an experiment gives its scan type.
    std::stable_sort(placed.begin(), placed.end(), [](const PlacedSpectrum& a, const PlacedSpectrum& b) {
        return std::tie(a.period, a.scan.experiment, a.scan.cycle, a.scan.exportIndex) <
               std::tie(b.period, b.scan.experiment, b.scan.cycle, b.scan.exportIndex);
    });
    std::vector<WiffPeriod> periods;
    std::size_t typeFrom = 0;  // the export index of the spectrum that gave the experiment's scan type
    for (PlacedSpectrum& spectrum : placed) {
        if (periods.empty() || periods.back().number != spectrum.period - 1) {
            periods.emplace_back();
            periods.back().number = spectrum.period - 1;
        }
        WiffPeriod& period = periods.back();
        WiffScan& scan = spectrum.scan;
        if (!period.scans.empty() && period.scans.back().experiment == scan.experiment &&
            period.scans.back().cycle == scan.cycle) {
            const std::size_t index = std::max(period.scans.back().exportIndex, scan.exportIndex);
            inconsistent(source, index, ids[index], "repeats the period, cycle and experiment of an earlier spectrum");
        }
        period.experimentCount = std::max(period.experimentCount, scan.experiment + 1);
        period.cycleCount = std::max(period.cycleCount, scan.cycle + 1);
        if (period.scanTypes.empty() || period.scanTypes.back().first != scan.experiment) {
            period.scanTypes.emplace_back(scan.experiment, spectrum.scanType);
            typeFrom = scan.exportIndex;
        } else if (scan.exportIndex < typeFrom) {
            period.scanTypes.back().second = spectrum.scanType;
            typeFrom = scan.exportIndex;
        }
        period.scans.push_back(std::move(scan));
    }
    return periods;
}

}  // namespace

std::int16_t WiffPeriod::scanType(std::int32_t experiment) const {
    const auto found = std::lower_bound(scanTypes.begin(), scanTypes.end(), experiment,
                                        [](const auto& entry, std::int32_t wanted) { return entry.first < wanted; });
    return found != scanTypes.end() && found->first == experiment ? found->second : std::int16_t{-1};
}

const WiffPeriod& WiffSample::period(std::int32_t number) const {
    static const WiffPeriod none;
    const auto found = std::lower_bound(periods.begin(), periods.end(), number,
                                        [](const WiffPeriod& period, std::int32_t wanted) { return period.number < wanted; });
    return found != periods.end() && found->number == number ? *found : none;
}

std::span<const WiffScan> WiffPeriod::experimentScans(std::int32_t experiment) const {
    const auto first = std::partition_point(scans.begin(), scans.end(),
                                            [&](const WiffScan& scan) { return scan.experiment < experiment; });
    const auto last =
        std::partition_point(first, scans.end(), [&](const WiffScan& scan) { return scan.experiment == experiment; });
    return {first, last};
}

const WiffScan* WiffPeriod::find(std::int32_t experiment, std::int32_t cycle) const {
    const std::span<const WiffScan> candidates = experimentScans(experiment);
    const auto found = std::lower_bound(candidates.begin(), candidates.end(), cycle,
                                        [](const WiffScan& scan, std::int32_t wanted) { return scan.cycle < wanted; });
    return found != candidates.end() && found->cycle == cycle ? &*found : nullptr;
}

const WiffScan* WiffPeriod::nearest(std::int32_t experiment, float startTime, float endTime) const {
    constexpr double timeTolerance = 0.001;  // seconds
    const double middle = (static_cast<double>(startTime) + static_cast<double>(endTime)) / 2.0;
    const double reach = timeTolerance + std::fabs(static_cast<double>(endTime) - static_cast<double>(startTime)) / 2.0;
    const WiffScan* nearest = nullptr;
    double nearestDistance = 0.0;
    for (const WiffScan& scan : experimentScans(experiment)) {
        const double distance = std::fabs(static_cast<double>(scan.cycleTime) - middle);
        if (distance > reach) continue;
        if (nearest == nullptr || distance < nearestDistance ||
            (distance == nearestDistance && scan.exportIndex < nearest->exportIndex)) {
            nearest = &scan;
            nearestDistance = distance;
        }
    }
    return nearest;
}

std::vector<std::int32_t> WiffPeriod::cyclesWithSpectra() const {
    std::vector<std::int32_t> cycles;
    cycles.reserve(scans.size());
    for (const WiffScan& scan : scans) cycles.push_back(scan.cycle);
    std::sort(cycles.begin(), cycles.end());
    cycles.erase(std::unique(cycles.begin(), cycles.end()), cycles.end());
    return cycles;
}

std::vector<WiffSample> readWiffSamples(const std::string& exportPath) {
    const std::shared_ptr<const OpenFormatExport> opened = OpenFormatExport::open(exportPath);
    const OpenFormatExport& source = *opened;
    const ExportRunInfo& info = source.runInfo();
    const InstrumentModel model = instrumentModel(info.instrumentModels);

    const std::size_t count = source.spectrumCount();
    std::vector<PlacedSpectrum> placed(count);
    std::vector<std::string> ids(count);
    std::vector<std::int32_t> levels(count);
    std::vector<std::int32_t> sampleKeys;  // one per spectrum that carries one, in file order
    std::size_t keyed = 0;
    // Every spectrum is decoded here, so that a damaged one fails the opening
    // instead of a sample half-way through. Decoding is most of the time of
    // opening, so both cores decode; what one throws is thrown again in
    // spectrum order, as from one pass.
    struct Decoded {
        ExportSpectrum spectrum;
        double totalIonCurrent = 0.0;
        std::exception_ptr failure;
    };
    computeOnTwoCoresConsumeInOrder<Decoded>(static_cast<std::int32_t>(count), [&](std::int32_t at) {
        Decoded decoded;
        try {
            const std::size_t i = static_cast<std::size_t>(at);
            decoded.spectrum = source.spectrum(i);
            decoded.totalIonCurrent = totalIonCurrent(decoded.spectrum, source.arrays(i));
        } catch (...) {
            decoded.failure = std::current_exception();
        }
        return decoded;
    }, [&](std::int32_t at, Decoded decoded) {
        if (decoded.failure) std::rethrow_exception(decoded.failure);
        const std::size_t i = static_cast<std::size_t>(at);
        const ExportSpectrum& spectrum = decoded.spectrum;
        ids[i] = spectrum.id;
        levels[i] = effectiveMsLevel(spectrum);
        WiffNativeId keys;
        try {
            keys = parseWiffNativeId(spectrum.id);
        } catch (const BadNativeId& error) {
            inconsistent(source, i, spectrum.id, error.what());
        }
        if (keys.sample) {
            // A converter writes a file's samples one after another; ids that
            // go back to an earlier sample are not an export of its samples.
            if (!sampleKeys.empty() && *keys.sample < sampleKeys.back()) {
                inconsistent(source, i, spectrum.id, formatText("names sample %d after sample %d", *keys.sample, sampleKeys.back()));
            }
            sampleKeys.push_back(*keys.sample);
        }
        if (keys.cycle.has_value() != keys.experiment.has_value()) {
            inconsistent(source, i, spectrum.id, "has only one of the cycle and experiment keys");
        }
        PlacedSpectrum& entry = placed[i];
        if (keys.cycle) {
            ++keyed;
            entry.period = keys.period.value_or(1);
            entry.scan.cycle = *keys.cycle - 1;
            entry.scan.experiment = *keys.experiment - 1;
        }
        entry.scan.exportIndex = i;
        entry.scan.cycleTime = spectrum.scanStartSeconds < 0.0 ? 0.0f : static_cast<float>(spectrum.scanStartSeconds);
        entry.scan.totalIonCurrent = decoded.totalIonCurrent;
        try {
            entry.scan.description = scanDescription(spectrum);
            entry.scanType = scanTypeCode(spectrum, model.code);
        } catch (const ValueOutOfRange& error) {
            throw ExportReadError(formatText("Spectrum %zu (\"%s\") of the export %s is damaged: %s.", i + 1,
                                             spectrum.id.c_str(), source.path().c_str(), error.what()));
        }
    });
    if (!sampleKeys.empty() && sampleKeys.size() != count) {
        throw ExportReadError(formatText("The export %s has inconsistent spectrum ids: %zu of its %zu spectra carry a sample key.",
                                         source.path().c_str(), sampleKeys.size(), count));
    }
    if (keyed != 0 && keyed != count) {
        throw ExportReadError(formatText(
            "The export %s has inconsistent spectrum ids: %zu of its %zu spectra carry cycle and experiment keys.",
            source.path().c_str(), keyed, count));
    }

    // Each sample is laid out from its own spectra, as if exported apart.
    std::vector<std::size_t> firstOfSample = {0};
    for (std::size_t i = 1; i < sampleKeys.size(); ++i) {
        if (sampleKeys[i] != sampleKeys[i - 1]) firstOfSample.push_back(i);
    }
    firstOfSample.push_back(count);
    const std::size_t sampleCount = firstOfSample.size() - 1;
    std::vector<WiffSample> samples;
    for (std::size_t k = 0; k < sampleCount; ++k) {
        const auto first = static_cast<std::ptrdiff_t>(firstOfSample[k]);
        const auto end = static_cast<std::ptrdiff_t>(firstOfSample[k + 1]);
        WiffSample sample;
        sample.source = opened;
        if (!sampleKeys.empty()) sample.sampleKey = sampleKeys[firstOfSample[k]];
        // The sample list names each sample only when it lists them all.
        const std::vector<std::string>& names = info.sampleNames;
        sample.name = sampleCount > 1 && names.size() == sampleCount ? names[k]
                      : names.empty() || names.front().empty() ? info.runId
                                                               : names.front();
        sample.modelCode = model.code;
        sample.modelName = model.name;
        std::vector<PlacedSpectrum> own(placed.begin() + first, placed.begin() + end);
        if (keyed == 0) {
            layOutByMsLevel(own, std::vector<std::int32_t>(levels.begin() + first, levels.begin() + end));
        }
        sample.periods = buildPeriods(std::move(own), source, ids);
        sample.periodCount = sample.periods.empty() ? 0 : sample.periods.back().number + 1;
        samples.push_back(std::move(sample));
    }
    return samples;
}
