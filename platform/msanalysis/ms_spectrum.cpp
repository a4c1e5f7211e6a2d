#include "platform/msanalysis/ms_spectrum.h"

#include <limits>

#include "core/util/format_text.h"

namespace {
constexpr const char* spectrumInterface = "IMSSpectrum";
constexpr const char* collectionInterface = "IMSSpectrumCollection";

std::int32_t checkedCount(std::size_t size, const char* what, const char* interfaceName) {
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw ComError(E_FAIL, formatText("Too many %s (%zu) for a 32-bit count.", what, size), interfaceName);
    }
    return static_cast<std::int32_t>(size);
}
}  // namespace

MSSpectrum::MSSpectrum(std::shared_ptr<const OpenFormatExport> run, std::size_t index, ExportSpectrum description)
    : run_(std::move(run)),
      index_(index),
      description_(std::move(description)) {}

std::optional<double> MSSpectrum::scanStartSeconds() const {
    if (description_.scanStartSeconds < 0.0) return std::nullopt;
    return description_.scanStartSeconds;
}

std::optional<std::int32_t> MSSpectrum::precursorCharge() const {
    if (description_.precursors.empty() || !description_.precursors.front().chargeState) return std::nullopt;
    const std::optional<double> charge = numberInText(*description_.precursors.front().chargeState);
    if (!charge || !(*charge >= 1.0 && *charge <= 9.0) || *charge != static_cast<std::int32_t>(*charge)) return std::nullopt;
    return static_cast<std::int32_t>(*charge);
}

void MSSpectrum::getData(std::int32_t kind, std::vector<double>& mz, std::vector<double>& intensity,
                         std::int32_t& count) const {
    if (kind != 0) {
        throw ComError(E_NOTIMPL, formatText("Data kind %d is not served; only 0 (the stored arrays) is.", kind),
                       spectrumInterface);
    }
    ExportArrays arrays;
    try {
        arrays = run_->arrays(index_);
    } catch (const ExportReadError& error) {
        throw ComError(E_FAIL, error.what(), spectrumInterface);
    }
    count = checkedCount(arrays.mz.size(), "points", spectrumInterface);
    mz = std::move(arrays.mz);
    intensity = std::move(arrays.intensity);
}

std::int32_t MSSpectrum::getMSOrder() const { return effectiveMsLevel(description_) - 1; }

void MSSpectrum::getPrecursor(std::vector<double>& mz, std::int32_t& count) const {
    mz.clear();
    for (const ExportPrecursor& precursor : description_.precursors) mz.push_back(precursor.mz);
    count = checkedCount(mz.size(), "precursors", spectrumInterface);
}

MSParameterCollection MSSpectrum::getParameters() const {
    try {
        return MSParameterCollection(std::make_shared<const std::vector<ExportParameter>>(run_->parameters(index_)));
    } catch (const ExportReadError& error) {
        throw ComError(E_FAIL, error.what(), spectrumInterface);
    }
}

std::int32_t MSSpectrumCollection::getCount() const {
    return checkedCount(run_->spectrumCount(), "spectra", collectionInterface);
}

MSSpectrum MSSpectrumCollection::getItem(std::int32_t index) const {
    const std::int32_t count = getCount();
    if (index < 1 || index > count) {
        throw ComError(E_INVALIDARG, formatText("Spectrum %d requested; the run has %d.", index, count),
                       collectionInterface);
    }
    const std::size_t position = static_cast<std::size_t>(index - 1);
    try {
        return MSSpectrum(run_, position, run_->spectrum(position));
    } catch (const ExportReadError& error) {
        throw ComError(E_FAIL, error.what(), collectionInterface);
    }
}
