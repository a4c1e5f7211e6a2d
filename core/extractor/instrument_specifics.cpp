#include "core/extractor/instrument_specifics.h"

namespace {
// The instrument file is not read yet: the built-in defaults stand.
std::int32_t chargesCertain = 0;
}  // namespace

std::int32_t instrumentChargesCertain() { return chargesCertain; }
double minFragmentMass() { return 105.0; }

void overrideInstrumentChargesCertainForTests(std::int32_t value) { chargesCertain = value; }
