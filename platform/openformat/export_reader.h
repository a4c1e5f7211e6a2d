#pragma once
// What a reader of one export serves; the export (open_format_export.h)
// holds one of the two: this project's own (own_reader.h) or, as the
// reference it is checked against, the library's (library_reader.h).
// Several threads may ask for spectra at once.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/openformat/export_types.h"

class ExportReader {
public:
    virtual ~ExportReader() = default;
    virtual std::size_t spectrumCount() const = 0;
    virtual std::size_t chromatogramCount() const = 0;
    virtual const ExportRunInfo& runInfo() const = 0;
    // Spectrum `index` (0-based, in range) without its arrays.
    virtual ExportSpectrum spectrum(std::size_t index) const = 0;
    virtual ExportArrays arrays(std::size_t index) const = 0;
    virtual std::vector<ExportParameter> parameters(std::size_t index) const = 0;
    // One line per way the export departs from what it should be while
    // still readable, naming the export and saying what was done about it.
    virtual std::vector<std::string> warnings() const = 0;
};

// Both throw ExportReadError naming the file.
std::unique_ptr<ExportReader> openOwnReader(const std::string& path);
std::unique_ptr<ExportReader> openLibraryReader(const std::string& path);
