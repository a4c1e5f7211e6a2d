#include "yepharvest/ms_scan_preprocessing.h"

#include <algorithm>
#include <optional>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/output_files.h"
#include "core/peaks/noise_estimate.h"
#include "core/peaks/noise_statistics.h"
#include "core/peaks/peak_orderings.h"
#include "yepharvest/ms_scan.h"
#include "yepharvest/peak_window.h"

void preprocessMSscans() {
    std::vector<MSscan>& table = runTable();
    const ExtractorParameters& parameters = extractorParameters();
    for (std::int32_t i = 0; i < numScans(); ++i) {
        MSscan& scan = table[static_cast<std::size_t>(i)];
        if (scan.rejected != 0) continue;
        if (scan.msLevel == 1) {
            PeakList peaks = toKestranePeaks(scan.peaks);
            // The base peak is the first of the intensity order; finding it
            // needs no sort, and a scan read in m/z order needs none either.
            const auto basePeak = std::min_element(peaks.begin(), peaks.end(), precedesByIntensityDescending);
            if (basePeak != peaks.end()) {
                scan.basePeakIntensity = basePeak->intensity;
                scan.basePeakMz = basePeak->mOverZ;
            }
            sortByMOverZAscending(peaks);
            scan.noiseMean = determineMeanNoise(peaks, scan.msLevel);
            scan.noiseStandardDeviation = getNoiseStandardDeviation();
            scan.peaks = toSpectrumPoints(peaks);
        } else if (scan.msLevel == 2) {
            scan.selectedParentMz = scan.parentMz;
            // A spectrum that no survey scan precedes keeps its precursor as read.
            const std::optional<std::int32_t> survey =
                parameters.findMonoisotopicParent != 0 ? preceedingMSscan(i) : std::nullopt;
            if (survey) {
                scan.parentMz = findMonoisotopicParentPeak(scan.parentMz, *survey,
                                                           parameters.parentTolerance);
            }
        }
    }
}

double findMonoisotopicParentPeak(double mz, std::int32_t msScanIndex, double tolerance) {
    const MSscan& scan = runTable()[static_cast<std::size_t>(msScanIndex)];
    const SpectrumPoints& peaks = scan.peaks;
    const double threshold =
        extractorParameters().minSignalNoiseRatio * scan.noiseStandardDeviation + scan.noiseMean;
    const auto first = std::lower_bound(peaks.begin(), peaks.end(), mz - 0.05,
                                        [](const SpectrumPoint& peak, double value) { return peak.mOverZ < value; });
    if (first == peaks.end()) return mz;
    double reference = first->intensity;
    double monoisotopic = mz;
    // The scan's first peak is never examined.
    for (auto p = static_cast<std::ptrdiff_t>(first - peaks.begin()); p >= 1; --p) {
        const SpectrumPoint& peak = peaks[static_cast<std::size_t>(p)];
        if (peak.mOverZ < mz - 2.0 * tolerance || peak.mOverZ < monoisotopic - 1.5) break;
        if (peak.intensity > 0.5 * reference && peak.intensity > threshold) {
            monoisotopic = peak.mOverZ;
            reference = peak.intensity;
        }
    }
    return monoisotopic;
}

double precursorIntensityInMSscans(double mz, std::int32_t scanNumber, std::int32_t window, double tolerance) {
    if (window <= 0) return 0.0;
    const std::vector<MSscan>& table = runTable();
    // Record i holds scan number i + 1, so the window starts at its index
    // instead of at the start of the run.
    const std::int64_t firstIndex = std::max<std::int64_t>(0, std::int64_t{scanNumber} - window - 1);
    const std::int64_t lastIndex = std::min<std::int64_t>(numScans() - 1, std::int64_t{scanNumber} + window - 1);
    double sum = 0.0;
    for (std::int64_t i = firstIndex; i <= lastIndex; ++i) {
        const MSscan& scan = table[static_cast<std::size_t>(i)];
        if (scan.msLevel != 1 || scan.rejected != 0) continue;
        if (scan.scanNumber < scanNumber - window || scan.scanNumber > scanNumber + window) continue;
        sum += intensityInWindow(scan.peaks, mz - tolerance, mz + tolerance);
    }
    return sum;
}

void calculatePrecursorTICs() {
    const ExtractorParameters& parameters = extractorParameters();
    const bool mixture = cysIsMixture();
    double difference = 0.0;
    if (mixture) mixtureMassDifference(difference);
    std::vector<MSscan>& table = runTable();
    for (std::int32_t i = 0; i < numScans(); ++i) {
        MSscan& scan = table[static_cast<std::size_t>(i)];
        if (scan.msLevel != 2 || scan.numPeaks <= 1 || scan.rejected != 0) continue;
        const auto intensityAt = [&](double mz) {
            return precursorIntensityInMSscans(mz, scan.scanNumber, parameters.groupScans, parameters.parentTolerance);
        };
        scan.precursorIntensity = intensityAt(scan.parentMz);
        if (!mixture) continue;
        const double z = scan.charge != 0 ? scan.charge : 2;
        scan.specFeatures.ICATlightIntensity = intensityAt(scan.parentMz - difference / z);
        scan.specFeatures.ICATheavyIntensity = intensityAt(scan.parentMz + difference / z);
        scan.specFeatures.ICATlightIntensity2 = intensityAt(scan.parentMz - 2.0 * difference / z);
        scan.specFeatures.ICATheavyIntensity2 = intensityAt(scan.parentMz + 2.0 * difference / z);
    }
}
