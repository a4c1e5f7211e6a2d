#include "core/peaks/spectrum_points.h"

#include "core/util/checked_memory.h"

PeakList toKestranePeaks(const SpectrumPoints& points) {
    PeakList peaks;
    reserveChecked(peaks, points.size(), "toKestranePeaks");
    for (const SpectrumPoint& point : points) peaks.push_back(makeFragmentPeak(point.mOverZ, point.intensity));
    return peaks;
}

SpectrumPoints toSpectrumPoints(const PeakList& peaks) {
    SpectrumPoints points;
    reserveChecked(points, peaks.size(), "toSpectrumPoints");
    for (const KestranePeak& peak : peaks) points.push_back({peak.mOverZ, peak.intensity});
    return points;
}
