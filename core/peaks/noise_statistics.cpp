#include "core/peaks/noise_statistics.h"

namespace {
NoiseStatistics statistics;
}

const NoiseStatistics& noiseStatistics() { return statistics; }

double getNoiseStandardDeviation() { return statistics.noiseStandardDeviation; }

void setNoiseLevel(double mean, double standardDeviation, double variance) {
    statistics.noiseMean = mean;
    statistics.noiseStandardDeviation = standardDeviation;
    statistics.noiseVariance = variance;
}

void setMaxIntensityStatistic(double value) { statistics.maxIntensity = value; }

void setTotalIntensityStatistic(double value) { statistics.totalIntensity = value; }
