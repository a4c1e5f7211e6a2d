#pragma once
// The instrument of a .wiff file, named by its family, and what each stage
// does differently because of it.
#include "platform/analyst/instrument_family.h"

struct SciexInstrument {
    InstrumentFamily family = InstrumentFamily::unknown;
    bool isMALDI = false;  // a QSTAR file named "…_Product.…"

    // Its m/z values carry four decimals of resolution.
    int mzDecimals() const {
        switch (family) {
            case InstrumentFamily::qstar: return 4;
            case InstrumentFamily::qtrap:
            case InstrumentFamily::unknown: break;
        }
        return 2;
    }
    // Its survey scans are centroided as they are read, and the union of
    // merged MS/MS spectra is centroided as the spectra were.
    bool centroids() const {
        switch (family) {
            case InstrumentFamily::qstar: return true;
            case InstrumentFamily::qtrap:
            case InstrumentFamily::unknown: break;
        }
        return false;
    }
    // Its survey scans resolve the precursor's isotopes: the precursor
    // charge follows from their spacing.
    bool chargesFromIsotopeSpacing() const {
        switch (family) {
            case InstrumentFamily::qstar: return true;
            case InstrumentFamily::qtrap:
            case InstrumentFamily::unknown: break;
        }
        return false;
    }
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
