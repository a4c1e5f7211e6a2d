#pragma once
// The instrument of a .wiff file, named by its family, and what each stage
// does differently because of it.
#include <cstdint>

enum class InstrumentFamily {
    unknown,  // neither model: no instrument block, the stages run as for a QTRAP
    qstar,    // QSTAR family: a quadrupole time-of-flight with profile-like peaks
    qtrap,
};

// Above 1999 the QSTAR family, 13 and 14 the QTRAP, anything else unknown.
InstrumentFamily instrumentTypeFromModelCode(std::int32_t modelCode);

struct SciexInstrument {
    InstrumentFamily family = InstrumentFamily::unknown;
    bool isMALDI = false;  // a QSTAR file named "…_Product.…"

    // Its m/z values carry four decimals of resolution.
    int mzDecimals() const { return family == InstrumentFamily::qstar ? 4 : 2; }
    // Its survey scans are centroided as they are read, and the union of
    // merged MS/MS spectra is centroided as the spectra were.
    bool centroids() const { return family == InstrumentFamily::qstar; }
    // Its survey scans resolve the precursor's isotopes: the precursor
    // charge follows from their spacing.
    bool chargesFromIsotopeSpacing() const { return family == InstrumentFamily::qstar; }
    // The block of instrument.txt it loads; nothing for an unknown model.
    const char* instrumentBlock() const {
        switch (family) {
            case InstrumentFamily::qstar: return isMALDI ? "MALDI-QSTAR" : "ESI-QSTAR";
            case InstrumentFamily::qtrap: return "ESI-QTRAP";
            case InstrumentFamily::unknown: break;
        }
        return nullptr;
    }
};
