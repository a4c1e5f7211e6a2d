#pragma once
// What the object model reports about an export and its spectra: the
// instrument model code, a spectrum's scan-type code and its description.
#include <cstdint>
#include <stdexcept>
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

// A value of a spectrum that the object model's type cannot hold: damage,
// never wrapped or clamped into it. The text says what and why, to follow
// the name of the spectrum.
class ValueOutOfRange : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A "scan type code" that is a decimal integer (a signed 16-bit value,
// ValueOutOfRange beyond it), else the spectrum-type term, else the ms
// level and the instrument family.
std::int16_t scanTypeCode(const ExportSpectrum& spectrum, std::int32_t modelCode);

// "Product (652.3400) CE (32): Charge (+2)" for MS/MS, "TOF MS" for other
// scans. ValueOutOfRange for a charge state beyond 32 bits.
std::string scanDescription(const ExportSpectrum& spectrum);
