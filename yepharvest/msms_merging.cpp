#include "yepharvest/msms_merging.h"

void mergeNearbyMSMSspectra() {}
