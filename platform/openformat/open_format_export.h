#pragma once
// The one reader of open-format run exports (mzML, mzXML, either of them
// gzip-compressed). Each export is read once per process; spectra are
// decoded when asked for, so memory follows what the caller keeps, and
// several threads may ask for spectra of one export at the same time.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
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
    std::optional<double> selectedIonMz;      // of the first selected ion
    std::optional<double> isolationTargetMz;  // isolation window target
    double mz = 0.0;  // the selected ion's, else the isolation window target, else 0
    // The first selected ion's "charge state" value text as written, which
    // need not read as a number.
    std::optional<std::string> chargeState;
    double collisionEnergy = 0.0;   // 0 when not given
};

// The spectrum-type terms that name a scan mode of their own.
enum class ExportSpectrumType { other, precursorIon, constantNeutralLoss, srm, sim };

struct ExportSpectrum {
    std::string id;
    std::int32_t msLevel = 0;       // 0 when the export gives none
    bool isMs1Spectrum = false;     // carries the "MS1 spectrum" term
    ExportSpectrumType type = ExportSpectrumType::other;
    double scanStartSeconds = -1.0; // negative when the export gives none
    // Value texts as written, which need not read as numbers: the "total
    // ion current" term and the "scan type code" userParam (of the spectrum,
    // else of its first scan that has one).
    std::optional<std::string> totalIonCurrent;
    std::optional<std::string> scanTypeCode;
    std::vector<ExportPrecursor> precursors;  // document order
};

// The ms level, else 1 for an "MS1 spectrum", else 2.
std::int32_t effectiveMsLevel(const ExportSpectrum& spectrum);

struct ExportArrays {
    std::vector<double> mz;
    std::vector<double> intensity;
};

struct ExportRunInfo {
    // mzML: the `run` element's id; mzXML: the first parent file's name
    // without folder and extension, else the export's base name.
    std::string runId;
    std::string contactName;     // first contact name of the file description
    std::string startTimeStamp;  // as written, "" when absent
    std::string sampleName;      // first sample's name
    std::string methodName;      // method file name, "" when none
    // The instrument model of each instrument configuration that names one
    // (mzXML: msModel), in document order.
    std::vector<std::string> instrumentModels;
};

// True for a file name ending in .mzML, .mzXML, .mzML.gz or .mzXML.gz, in
// any letter case.
bool hasExportEnding(std::string_view fileName);
// The file name without directory and without that ending ("" when absent).
std::string exportBaseName(std::string_view path);

// A value text that is entirely a finite number, as a number.
std::optional<double> numberInText(std::string_view text);

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
