#include "yepharvest/precursor_charge.h"

void determinePrecursorCharges() {}
