#pragma once
// Survey-scan stages: base peak, m/z order and noise of every MS scan, the
// monoisotopic correction of precursors, and precursor intensities.

void preprocessMSscans();
void calculatePrecursorTICs();
