#pragma once
// What the readers of run exports hand out: the run's description, each
// spectrum's description, arrays and parameters, and the error of an export
// that cannot be read.
#include <cstdint>
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
    std::vector<std::string> sampleNames;  // of the sample list, in document order
    std::string methodName;      // method file name, "" when none
    // The instrument model of each instrument configuration that names one
    // (mzXML: msModel), in document order.
    std::vector<std::string> instrumentModels;
};

// A value text that is entirely a finite number, as a number.
std::optional<double> numberInText(std::string_view text);

// What makes peaks impossible: a value that is not a finite number, an m/z
// at or below 0 or above 1,000,000, an intensity below 0 or above 1e20
// (what characters replaced in a base64 array decode to). "" when none,
// else what is wrong, to follow "is damaged: ".
std::string peakValueProblem(const ExportArrays& arrays);
