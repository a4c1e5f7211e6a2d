#pragma once
// Noise level and intensity totals of the peak list measured last. Peak
// picking and the noise estimate write them; the spectrum features and the
// front ends read them right after picking the same spectrum.

struct NoiseStatistics {
    double noiseMean = 0.0;
    double noiseStandardDeviation = 0.0;
    double noiseVariance = 0.0;
    double maxIntensity = 0.0;
    double totalIntensity = 0.0;
};

const NoiseStatistics& noiseStatistics();
double getNoiseStandardDeviation();

void setNoiseLevel(double mean, double standardDeviation, double variance);
void setMaxIntensityStatistic(double value);
void setTotalIntensityStatistic(double value);
