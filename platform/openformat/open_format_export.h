#pragma once
// The one reader of open-format run exports (mzML, mzXML, either of them
// gzip-compressed). Each export is read once per process; spectra are
// decoded when asked for, so memory follows what the caller keeps, and
// several threads may ask for spectra of one export at the same time.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/openformat/export_names.h"
#include "platform/openformat/export_types.h"

class OpenFormatExport {
public:
    // The export at `path`, read on the first request and shared afterwards.
    // Throws ExportReadError with a description naming the file.
    static std::shared_ptr<const OpenFormatExport> open(const std::string& path);

    ~OpenFormatExport();
    OpenFormatExport(const OpenFormatExport&) = delete;
    OpenFormatExport& operator=(const OpenFormatExport&) = delete;

    const std::string& path() const;
    std::size_t spectrumCount() const;
    const ExportRunInfo& runInfo() const;
    // Spectrum `index` (0-based, file order) without its arrays.
    ExportSpectrum spectrum(std::size_t index) const;
    // Its m/z and intensity arrays as stored; throws on damaged arrays.
    ExportArrays arrays(std::size_t index) const;
    // Its parameters in document order (built only when asked for: the
    // reader lists those of one spectrum).
    std::vector<ExportParameter> parameters(std::size_t index) const;
    // What the export holds that converters and excerpt tools legitimately
    // write but that departs from the formats, one line each, naming the
    // export and what was done about it; complete for the spectra read so
    // far (a caller asks once it has read them).
    std::vector<std::string> warnings() const;

private:
    void checkIndex(std::size_t index) const;
    struct Impl;
    explicit OpenFormatExport(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
