#include "yepharvest/ms_scan_preprocessing.h"

void preprocessMSscans() {}
void calculatePrecursorTICs() {}
