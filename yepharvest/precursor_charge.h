#pragma once
// Sets the precursor charge of every record from three kinds of evidence: a
// singly-charged test on the fragments, the same molecule at neighbouring
// charge states in the survey scans, and b/y pairs fitting charge 2 and 3.
// In the full mode every finding goes to parentChargeCheck.txt.
#include <cstdint>

void determinePrecursorCharges();

// Intensity-weighted m/z of the precursor's peaks in MS scan `msScanIndex`;
// not-a-number when the window holds no peak.
double parentCentroidInMSscan(double mz, std::int32_t msScanIndex, std::int32_t scanNumber, double tolerance);
