#pragma once
// One spectrum and the collection of all spectra of an open analysis.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/msanalysis/ms_parameter.h"
#include "platform/openformat/open_format_export.h"

class MSSpectrum {
public:
    MSSpectrum(std::shared_ptr<const OpenFormatExport> run, std::size_t index, ExportSpectrum description);

    // `kind` 0: the m/z and intensity arrays as stored; `count` their length.
    void getData(std::int32_t kind, std::vector<double>& mz, std::vector<double>& intensity, std::int32_t& count) const;
    // MS level - 1: 0 for a survey scan, 1 or more for a fragment scan.
    std::int32_t getMSOrder() const;
    // The m/z of each precursor, document order; count 0 without one.
    void getPrecursor(std::vector<double>& mz, std::int32_t& count) const;
    MSParameterCollection getParameters() const;
    // Beyond the vendor's operations: the scan's start time in seconds, or
    // nothing when the export gives none (for peak-list formats that carry it).
    std::optional<double> scanStartSeconds() const;
    // Beyond them too: the charge the instrument gave the first precursor,
    // when the export carries a whole number from 1 to 9 for it.
    std::optional<std::int32_t> precursorCharge() const;

private:
    std::shared_ptr<const OpenFormatExport> run_;
    std::size_t index_;
    ExportSpectrum description_;
};

class MSSpectrumCollection {
public:
    explicit MSSpectrumCollection(std::shared_ptr<const OpenFormatExport> run) : run_(std::move(run)) {}
    std::int32_t getCount() const;
    // Spectrum `index`, 1-based in file order; outside 1..getCount() raises
    // 0x80070057.
    MSSpectrum getItem(std::int32_t index) const;

private:
    std::shared_ptr<const OpenFormatExport> run_;
};
