#pragma once
// Folds nearby MS/MS spectra of one precursor into the first of them.

void mergeNearbyMSMSspectra();
