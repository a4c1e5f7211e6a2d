#pragma once
// What the object model reports about an export and its spectra: the
// instrument model code, a spectrum's scan-type code and its description.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/openformat/export_types.h"

constexpr std::int32_t qstarModelCode = 2000;
constexpr std::int32_t qtrap4000ModelCode = 13;
constexpr std::int32_t otherQtrapModelCode = 14;

struct InstrumentModel {
    std::int32_t code = 0;
    std::string name;  // the model name the code came from, else the first one given
};

// From the first model name that contains "QSTAR" or "QTRAP": 2000 for a
// QSTAR, 13 for a 4000 QTRAP, 14 for any other QTRAP; else 0.
InstrumentModel instrumentModel(const std::vector<std::string>& modelNames);

// A "scan type code" that is a decimal integer (as a signed 16-bit value),
// else the spectrum-type term, else the ms level and the instrument family.
std::int16_t scanTypeCode(const ExportSpectrum& spectrum, std::int32_t modelCode);

// "Product (652.3400) CE (32): Charge (+2)" for MS/MS, "TOF MS" for other scans.
std::string scanDescription(const ExportSpectrum& spectrum);
