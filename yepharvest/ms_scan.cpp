#include "yepharvest/ms_scan.h"

#include <cstdio>
#include <cstdlib>

#include "core/util/checked_memory.h"
#include "core/util/html_page.h"

namespace {
std::vector<MSscan> table;
std::int32_t scanCount = 0;
std::int32_t noMSscansFlag = 0;
}  // namespace

std::vector<MSscan>& runTable() { return table; }
std::int32_t numScans() { return scanCount; }
void setNumScans(std::int32_t count) { scanCount = count; }

void allocateMSscanMemory(std::int32_t count) {
    const std::size_t records = count < 0 ? 0 : static_cast<std::size_t>(count) + 1;
    std::vector<MSscan> fresh;
    reserveChecked(fresh, records, "allocateMSscanMemory");
    fresh.resize(records);
    table = std::move(fresh);
}

std::optional<std::int32_t> preceedingMSscan(std::int32_t index) {
    for (std::int32_t i = index; i >= 0; --i) {
        if (static_cast<std::size_t>(i) < table.size() && table[static_cast<std::size_t>(i)].msLevel == 1) return i;
    }
    return std::nullopt;
}

std::int32_t findIndexOfPreceedingMSscan(std::int32_t index) {
    if (const std::optional<std::int32_t> found = preceedingMSscan(index)) return *found;
    std::fprintf(getHtmlStream(), "\n<BR>Error: spectrumIndex < 0 in function: findIndexOfPreceedingMSscan");
    std::fflush(getHtmlStream());
    std::exit(1);
}

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

std::int32_t noMSscans() { return noMSscansFlag; }
void setNoMSscans(std::int32_t flag) { noMSscansFlag = flag; }
