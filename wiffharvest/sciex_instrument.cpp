#include "wiffharvest/sciex_instrument.h"

InstrumentFamily instrumentTypeFromModelCode(std::int32_t modelCode) {
    if (modelCode > 1999) return InstrumentFamily::qstar;
    if (modelCode == 13 || modelCode == 14) return InstrumentFamily::qtrap;
    return InstrumentFamily::unknown;
}
