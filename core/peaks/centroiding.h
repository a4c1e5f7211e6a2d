#pragma once
#include "core/peaks/kestrane_peak.h"

// Collapses each cluster of a list in ascending m/z into one peak: clusters
// grow from the most intense unclaimed peak outwards while neighbours lie
// strictly within width/2 of it; the cluster's members above heightPercent
// of the apex give the intensity-weighted m/z and the summed intensity.
// Output peaks are in ascending m/z with charge 1. A width below 0.0001
// returns the list untouched.
PeakList centroidByPeakWidthAndHeightPercentage(PeakList list, double width, double heightPercent);
