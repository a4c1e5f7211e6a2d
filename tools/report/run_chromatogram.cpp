#include "tools/report/run_chromatogram.h"

#include <algorithm>
#include <cmath>

RunChromatogram readRunChromatogram(const OpenFormatExport& run) {
    RunChromatogram chromatogram;
    ExportArrays lastSurvey;
    bool surveySeen = false;
    for (std::size_t i = 0; i < run.spectrumCount(); ++i) {
        const ExportSpectrum spectrum = run.spectrum(i);
        const bool survey = effectiveMsLevel(spectrum) == 1;
        if (survey) {
            lastSurvey = run.arrays(i);
            surveySeen = true;
        }
        if (spectrum.scanStartSeconds < 0.0) {
            ++chromatogram.untimed;
            continue;
        }
        const double minutes = spectrum.scanStartSeconds / 60.0;
        if (survey) {
            SurveyPoint point{minutes, 0.0, 0.0};
            for (const double intensity : lastSurvey.intensity) {
                point.totalIonCurrent += intensity;
                point.basePeak = std::max(point.basePeak, intensity);
            }
            chromatogram.survey.push_back(point);
            continue;
        }
        MsmsPoint point{minutes, spectrum.precursors.empty() ? 0.0 : spectrum.precursors.front().mz, 0.0};
        if (surveySeen && point.precursorMz > 0.0) {
            for (std::size_t k = 0; k < lastSurvey.mz.size() && k < lastSurvey.intensity.size(); ++k) {
                if (std::fabs(lastSurvey.mz[k] - point.precursorMz) <= precursorWindowMz) {
                    point.precursorIntensity = std::max(point.precursorIntensity, lastSurvey.intensity[k]);
                }
            }
        }
        chromatogram.msms.push_back(point);
    }
    return chromatogram;
}

MinuteCounts msmsPerMinute(const RunChromatogram& chromatogram) {
    MinuteCounts perMinute;
    if (chromatogram.msms.empty()) return perMinute;
    const auto minuteOf = [](const MsmsPoint& point) { return static_cast<long>(std::max(0.0, std::floor(point.minutes))); };
    perMinute.first = minuteOf(*std::min_element(chromatogram.msms.begin(), chromatogram.msms.end(),
                                                 [](const MsmsPoint& a, const MsmsPoint& b) { return a.minutes < b.minutes; }));
    for (const MsmsPoint& point : chromatogram.msms) {
        const auto at = static_cast<std::size_t>(minuteOf(point) - perMinute.first);
        if (perMinute.counts.size() <= at) perMinute.counts.resize(at + 1, 0);
        ++perMinute.counts[at];
    }
    return perMinute;
}
