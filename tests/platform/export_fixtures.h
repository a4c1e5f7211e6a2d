#pragma once
// Small hand-written mzML and mzXML exports with known values.
#include <string>
#include <vector>

// Little-endian (mzML) or network-order (mzXML) 64-bit doubles as base64.
std::string base64Doubles(const std::vector<double>& values, bool networkOrder);

// Three spectra: an MS1 scan with three peaks, an MS/MS spectrum with two
// precursors and two peaks, and a spectrum without ms level or peaks.
// `firstBinary` replaces the m/z array text of the first spectrum.
std::string handWrittenMzML(const std::string& firstBinary = "");
// Two scans: an MS1 scan of two peaks and an MS/MS scan of one peak.
std::string handWrittenMzXML();
