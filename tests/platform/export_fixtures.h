#pragma once
// Small hand-written mzML and mzXML exports with known values, and what the
// platform tests do with them.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/com_runtime.h"

// Bytes as base64.
std::string base64Bytes(const std::string& bytes);
// Little-endian (mzML) or network-order (mzXML) 64-bit doubles as base64.
std::string base64Doubles(const std::vector<double>& values, bool networkOrder);

// The exports of tests/support/exports/, read whole.
// Three spectra: an MS1 scan with three peaks, an MS/MS spectrum with two
// precursors and two peaks, and a spectrum without ms level or peaks.
// `firstBinary` replaces the m/z array text of the first spectrum.
std::string handWrittenMzML(const std::string& firstBinary = "");
// Two scans: an MS1 scan of two peaks and an MS/MS scan of one peak.
std::string handWrittenMzXML();

// Pieces of hand-written mzML: a cvParam of the MS vocabulary, a userParam,
// an ms level, a precursor element.
std::string msTerm(const std::string& accession, const std::string& name, const std::string& value = "");
std::string userParam(const std::string& name, const std::string& value);
std::string msLevel(int level);
std::string precursorElement(std::optional<double> selectedMz, std::optional<std::string> charge,
                             std::optional<double> targetMz, std::optional<double> collisionEnergy);

struct FixtureSpectrum {
    std::string id;
    std::string params;         // cvParams and userParams of the spectrum element
    double seconds = -1.0;      // scan start time; negative for none
    std::string precursor;      // a <precursor> element, or ""
    std::vector<double> mz{100.0, 200.0};
    std::vector<double> intensity{1.0, 2.0};
};

// An mzML export without an id on its mzML element. `instrument` holds the
// instrument configuration's params; an empty `sampleName` leaves out the
// sample list.
std::string fixtureMzML(const std::vector<FixtureSpectrum>& spectra, const std::string& instrument,
                        const std::string& sampleName = "", const std::string& runId = "run");

// `text` with the first `from` replaced; throws when `from` is not there.
std::string replaced(std::string text, const std::string& from, const std::string& to);
void writeGzip(const std::string& path, const std::string& content);
// The status code `call` throws as a ComError, S_OK when it returns.
HRESULT codeOf(const std::function<void()>& call);
// The export `path` written again by the library: as mzXML at `mzXMLPath`
// (returning its text), or as mzML with its arrays in the MS-Numpress
// codings given (linear, pic or slof for m/z and intensity; zlib on top).
std::string asMzXML(const std::string& path, const std::string& mzXMLPath);
void asNumpressMzML(const std::string& path, const std::string& outPath, const std::string& mzCoding,
                    const std::string& intensityCoding, bool zlib);

// The first error met opening the export or run folder and reading the
// peaks of every spectrum; "" when there is none.
std::string firstReadError(const std::string& path);
