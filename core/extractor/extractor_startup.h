#pragma once
// Prepares the process for one extraction run: browser output, query,
// parameters, chemistry, peak-picking settings and the output files.

// Returns 1; every failure inside ends the process.
int initialiseExtractor();
