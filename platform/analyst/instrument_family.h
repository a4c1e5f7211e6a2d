#pragma once
// The Sciex instrument families, known by the instrument model code of a
// .wiff file, and what the object model writes differently for each. Every
// property is one switch without a default, so that a new family is named
// by -Wswitch wherever it still needs a value.
#include <cstdint>

enum class InstrumentFamily {
    unknown,  // neither family's model: no instrument block, the stages run as for a QTRAP
    qstar,    // QSTAR family: a quadrupole time-of-flight with profile-like peaks
    qtrap,
};

// Above 1999 the QSTAR family, 13 and 14 the QTRAP, anything else unknown.
constexpr InstrumentFamily instrumentTypeFromModelCode(std::int32_t modelCode) {
    if (modelCode > 1999) return InstrumentFamily::qstar;
    if (modelCode == 13 || modelCode == 14) return InstrumentFamily::qtrap;
    return InstrumentFamily::unknown;
}

// The scan-type code of the family's survey scans.
constexpr std::int16_t surveyScanTypeCode(InstrumentFamily family) {
    switch (family) {
        case InstrumentFamily::qstar: return 8;
        case InstrumentFamily::qtrap: return 15;
        case InstrumentFamily::unknown: break;
    }
    return 0;
}

// The scan-type code of the family's product (MS/MS) scans.
constexpr std::int16_t productScanTypeCode(InstrumentFamily family) {
    switch (family) {
        case InstrumentFamily::qstar: return 9;
        case InstrumentFamily::qtrap: return 11;
        case InstrumentFamily::unknown: break;
    }
    return 6;
}
