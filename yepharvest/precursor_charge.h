#pragma once
// Sets the precursor charge of every record from fragment, survey-scan and
// b/y-pair evidence.

void determinePrecursorCharges();
