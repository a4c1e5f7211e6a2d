#pragma once
// The noise level of one peak list, as the noise estimate measures it. Peak
// picking returns it with the picked list; the spectrum features and the
// survey-scan stages take it from there.

struct NoiseStatistics {
    double noiseMean = 0.0;
    double noiseStandardDeviation = 0.0;
    double noiseVariance = 0.0;
};
