#pragma once
// One mzML spectrum element read straight from its text: the description
// the stand-ins serve, its parameters, and its m/z and intensity arrays.
#include <list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/openformat/binary_decode.h"
#include "platform/openformat/export_types.h"
#include "platform/openformat/param_terms.h"

// What only damage produces in a spectrum element, said so as to follow
// "is damaged: ".
class SpectrumDamage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct MzmlArrayText {
    std::string_view binary;
    BinaryLayout layout;
    std::string_view arrayLength;  // the attribute as written, "" when absent
    bool found = false;
};

struct MzmlSpectrumText {
    ExportSpectrum description;
    std::size_t declaredPoints = 0;  // defaultArrayLength
    MzmlArrayText mz;
    MzmlArrayText intensity;
    // What a converter may legitimately write and the reader passes over:
    // the name of the first array that is neither m/z nor intensity, the
    // first parameter group referenced but not defined ("" when none).
    std::string otherArray;
    std::string missingGroup;
    std::list<std::string> decodedText;  // array text that had to be decoded; its strings stay in place
};

// Views into `element`, which must outlive the result. Fills `parameters`
// when given. Throws SpectrumDamage.
MzmlSpectrumText readMzmlSpectrum(std::string_view element, const ParamGroups& groups,
                                  std::vector<ExportParameter>* parameters = nullptr);

// The element's arrays; "" on success, else what is wrong with them.
std::string decodeMzmlArrays(const MzmlSpectrumText& spectrum, ExportArrays& arrays);
