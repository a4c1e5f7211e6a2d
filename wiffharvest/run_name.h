#pragma once
// Names of a .wiff run and of its spectra.
#include <cstdint>
#include <string>
#include <string_view>

#include "wiffharvest/sciex_ms_scan.h"

// The .wiff file name without its folder and its last extension:
// "D:\runs\lysate3.wiff" gives "lysate3" ("\" or "/" separators).
std::string getRunName(std::string_view dataFilename);

// "<run>.<scan time %04.0f>.<last scan %04d>.<charge>.pkl": the name the
// filters' reject rows use for every sample.
std::string spectrumName(const std::string& runName, const SciexMSscan& scan);
// The record's file name and originalSpectrumFile value: the same, with
// "_<sample>" after the run name for samples after the first.
std::string peakListName(const std::string& runName, std::int32_t sample, const SciexMSscan& scan);
