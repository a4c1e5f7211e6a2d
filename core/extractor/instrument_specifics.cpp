#include "core/extractor/instrument_specifics.h"

// The instrument file is not read yet: the built-in defaults stand.
std::int32_t instrumentChargesCertain() { return 0; }
double minFragmentMass() { return 105.0; }
