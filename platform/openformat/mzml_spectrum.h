#pragma once
// One mzML spectrum element read straight from its text: the description
// the stand-ins serve, and its m/z and intensity arrays.
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/openformat/binary_decode.h"
#include "platform/openformat/export_types.h"

// The element uses something this reader does not interpret itself (a
// parameter group, another encoding or compression, an unusual number or
// time unit); the library reader then takes the spectrum.
class NotForFastReader : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct MzmlArrayText {
    std::string_view binary;
    BinaryLayout layout;
    std::string_view arrayLength;    // the attribute as written, "" when absent
    std::string_view encodedLength;  // likewise
    bool found = false;
};

struct MzmlSpectrumText {
    ExportSpectrum description;
    std::size_t declaredPoints = 0;  // defaultArrayLength
    MzmlArrayText mz;
    MzmlArrayText intensity;
};

// Views into `element`, which must outlive the result. Throws
// NotForFastReader.
MzmlSpectrumText readMzmlSpectrum(std::string_view element);

// The element's arrays; "" on success, else what is wrong with them.
std::string decodeMzmlArrays(const MzmlSpectrumText& spectrum, ExportArrays& arrays);
