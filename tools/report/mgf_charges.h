#pragma once
// The charges an MGF file of the programs states: its CHARGE line per block
// (none: the search engine tries the charges itself), by the block's TITLE,
// which is the .pkl name without ".pkl".
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/report/spectrum_features_log.h"

// TITLE -> stated charge (0: no CHARGE line); nothing when the file cannot
// be opened.
std::optional<std::map<std::string, int>> readMgfCharges(const std::string& path);

// Gives each written spectrum the charge its LC run's MGF file in
// `peakListDir` states (RUN.mgf, RUN_2.mgf, ... by sample). Returns the MGF
// files read; spectra of a run without one keep no stated charge.
std::vector<std::string> addStatedCharges(std::vector<WrittenSpectrum>& spectra, const std::string& peakListDir,
                                          const std::string& run);
