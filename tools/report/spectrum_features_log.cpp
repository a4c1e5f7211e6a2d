#include "tools/report/spectrum_features_log.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

bool hasColumn(const std::vector<std::string_view>& header, std::string_view name) {
    return std::find(header.begin(), header.end(), name) != header.end();
}

// Column positions of the values the report uses; absent columns stay empty.
struct ColumnIndex {
    explicit ColumnIndex(const std::vector<std::string>& columns) : columns_(columns) {}
    std::optional<std::size_t> operator()(std::string_view name) const {
        const auto found = std::find(columns_.begin(), columns_.end(), name);
        if (found == columns_.end()) return std::nullopt;
        return static_cast<std::size_t>(found - columns_.begin());
    }
    const std::vector<std::string>& columns_;
};

// A value of a column the header has must be readable; "nan" is readable
// and stands for no value, as does an infinity, which no chart can place.
template <class T, class Parse>
bool readColumn(const std::vector<std::string_view>& fields, std::optional<std::size_t> column, Parse parse,
                std::optional<T>& into) {
    if (!column) return true;
    if (*column >= fields.size()) return false;
    const auto value = parse(fields[*column]);
    if (!value) return false;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(*value)) return true;
    }
    into = static_cast<T>(*value);
    return true;
}

}  // namespace

FeaturesLayout featuresLayout(const std::vector<std::string_view>& header) {
    if (header.empty() || header.front() != "originalSpectrumFile") return FeaturesLayout::unknown;
    if (hasColumn(header, "numProfilePeaks")) return FeaturesLayout::wiffharvest;
    if (hasColumn(header, "parent_m_over_z_centroid")) return FeaturesLayout::yepharvest;
    if (!hasColumn(header, "scanNumber")) return FeaturesLayout::qtof;
    return FeaturesLayout::unknown;
}

std::string describeLayout(FeaturesLayout layout) {
    switch (layout) {
        case FeaturesLayout::yepharvest: return "yepharvest";
        case FeaturesLayout::wiffharvest: return "wiffharvest";
        case FeaturesLayout::qtof: return "Q-Tof";
        case FeaturesLayout::unknown: return "unknown";
    }
    return "unknown";
}

FeaturesSelection selectWrittenSpectra(const LogFile& file, std::string_view run, RunProgram program) {
    FeaturesSelection selection;
    if (file.lines.empty()) return selection;
    const std::vector<std::string_view> header = splitFields(file.lines.front().text);
    selection.layout = featuresLayout(header);
    if (header.empty() || header.front() != "originalSpectrumFile") return selection;
    selection.columns.assign(header.begin(), header.end());

    const ColumnIndex column(selection.columns);
    const auto scanColumn = column("scanNumber");
    const auto selectedColumn = column("selected_parent_m_over_z");
    const auto mzColumn = column("parent_m_over_z");
    const auto chargeColumn = column("parent_charge");
    const auto peaksColumn = column("numPeaks");
    const auto originalColumn = column("numOriginalPeaks");
    const auto signalNoiseColumn = column("parentSignalNoise");
    const auto maxColumn = column("maxIntensity");
    const auto noiseColumn = column("noiseMean");
    const auto deviationColumn = column("noiseStandardDeviation");
    // yepharvest's header names one more column than its rows fill.
    const std::size_t fewest =
        selection.columns.back() == "noiseMeanInPrecedingMSscan" ? selection.columns.size() - 1 : selection.columns.size();
    const bool samples = selection.layout == FeaturesLayout::wiffharvest;

    for (std::size_t i = 1; i < file.lines.size(); ++i) {
        const LogLine& line = file.lines[i];
        if (line.text.empty()) continue;
        const std::vector<std::string_view> fields = splitFields(line.text);
        const std::optional<PeakListName> parsed = matchPeakListName(fields.front(), run, program, samples);
        if (!parsed) continue;
        WrittenSpectrum spectrum;
        spectrum.line = line.number;
        spectrum.name = std::string(fields.front());
        spectrum.sample = parsed->sample;
        spectrum.charge = parsed->charge;
        if (program == RunProgram::yepharvest) spectrum.scanNumber = parsed->first;
        if (program == RunProgram::wiffharvest) spectrum.nameScanTime = parsed->first;
        std::optional<long> charge;
        const bool readable = fields.size() >= fewest && fields.size() <= selection.columns.size() &&
                              readColumn(fields, scanColumn, parseWhole, spectrum.scanNumber) &&
                              readColumn(fields, selectedColumn, parseReal, spectrum.selectedParentMz) &&
                              readColumn(fields, mzColumn, parseReal, spectrum.parentMz) &&
                              readColumn(fields, chargeColumn, parseWhole, charge) &&
                              readColumn(fields, peaksColumn, parseWhole, spectrum.numPeaks) &&
                              readColumn(fields, originalColumn, parseWhole, spectrum.numOriginalPeaks) &&
                              readColumn(fields, signalNoiseColumn, parseReal, spectrum.parentSignalNoise) &&
                              readColumn(fields, maxColumn, parseReal, spectrum.maxIntensity) &&
                              readColumn(fields, noiseColumn, parseReal, spectrum.noiseMean) &&
                              readColumn(fields, deviationColumn, parseReal, spectrum.noiseStandardDeviation);
        if (!readable) {
            selection.malformedLines.push_back(line.number);
            continue;
        }
        if (charge) spectrum.charge = static_cast<int>(*charge);
        selection.spectra.push_back(std::move(spectrum));
    }
    return selection;
}
