#pragma once
// Which log rows belong to a run. Every row names its spectrum as the run
// name, a point and numbers; runs whose names are prefixes of each other
// (r1, r10, r1.5) share one folder, so a row belongs to a run only when the
// whole rest of its name has the shape the writing program gives it.
#include <optional>
#include <string_view>

enum class RunProgram { yepharvest, wiffharvest };

// A peak-list name: yepharvest "<run>.<scan>.<last scan>.<charge>.pkl",
// wiffharvest "<run>.<scan time>.<last scan>.<charge>.pkl", and for samples
// after the first "<run>_<sample>.<...>" in the spectrum-features file.
struct PeakListName {
    int sample = 1;
    long first = 0;  // scan number (yepharvest) or scan time (wiffharvest)
    long last = 0;   // last scan number of the merged group
    int charge = 0;
};

std::optional<PeakListName> matchPeakListName(std::string_view name, std::string_view run, RunProgram program,
                                              bool allowSampleSuffix);

// First field of a reject row: a peak-list name without sample suffix, or the
// scan (yepharvest "<run>.<scan>", unpadded for the scan range, padded for
// merges) or the scan time and scan (wiffharvest).
bool matchRejectName(std::string_view name, std::string_view run, RunProgram program);

// First field of a charge-check row: "<run>.<scan>" (yepharvest) or
// "<run>.<scan time>.<scan>" (wiffharvest).
bool matchChargeKey(std::string_view key, std::string_view run, RunProgram program);

// The run name wiffharvest derives from its data file path: the text between
// the last separator and the last point.
std::string_view runNameOfDataPath(std::string_view path);
