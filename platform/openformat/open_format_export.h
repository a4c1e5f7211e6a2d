#pragma once
// The one reader of open-format run exports (mzML, mzXML, either of them
// gzip-compressed). Each export is read once per process; spectra are
// decoded when asked for, so memory follows what the caller keeps.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// An export that is missing, damaged, truncated or not mzML / mzXML.
class ExportReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One cvParam or userParam: the element it belongs to ("spectrum", "scan",
// "scanWindow", "precursor", "isolationWindow", "selectedIon",
// "activation"), its name and its value text as written (possibly empty).
struct ExportParameter {
    std::string group;
    std::string name;
    std::string value;
};

struct ExportPrecursor {
    double mz = 0.0;  // first selected ion, else isolation window target, else 0
    std::int32_t charge = 0;        // 0 when not given
    double collisionEnergy = 0.0;   // 0 when not given
};

struct ExportSpectrum {
    std::string id;
    std::int32_t msLevel = 0;       // 0 when the export gives none
    bool isMs1Spectrum = false;     // carries the "MS1 spectrum" term
    double scanStartSeconds = -1.0; // negative when the export gives none
    std::vector<ExportPrecursor> precursors;  // document order
};

struct ExportArrays {
    std::vector<double> mz;
    std::vector<double> intensity;
};

struct ExportRunInfo {
    std::string runId;
    std::string contactName;     // first contact name of the file description
    std::string startTimeStamp;  // as written, "" when absent
    std::string sampleName;      // first sample's name
    std::string methodName;      // method file name, "" when none
};

// True for a file name ending in .mzML, .mzXML, .mzML.gz or .mzXML.gz, in
// any letter case.
bool hasExportEnding(std::string_view fileName);
// The file name without directory and without that ending ("" when absent).
std::string exportBaseName(std::string_view path);

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

private:
    struct Impl;
    explicit OpenFormatExport(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
