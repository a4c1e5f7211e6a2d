#include "yepharvest/spectrum_output.h"

#include <algorithm>
#include <cstdio>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/output_files.h"
#include "core/extractor/spectrum_filters.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_picking.h"
#include "core/peaks/peak_writers.h"
#include "core/peaks/spec_features.h"
#include "core/util/checked_file.h"
#include "core/util/format_text.h"
#include "core/util/printable_real.h"
#include "yepharvest/run_name.h"

namespace {

constexpr int chargeCounters = 10;

bool isLiveMSMS(const MSscan& scan) { return scan.rejected == 0 && scan.msLevel == 2; }

void writePeakListFile(const std::string& path, const MSscan& scan) {
    constexpr const char* label = "Function: processVelmoraLCMSMSrun";
    std::FILE* file = openTextFile(path, "w", label);
    std::fprintf(file, "%0.2f\t%.0f\t%d", scan.parentMz, printableReal(scan.precursorIntensity), scan.charge);
    writePeaks(toKestranePeaks(scan.peaks), file);
    closeFile(file, label);
}

void writeFeaturesRow(std::FILE* out, const std::string& name, const MSscan& scan, const std::string& cys,
                      bool mixture) {
    const SpecFeatures& f = scan.specFeatures;
    std::fprintf(out, "\n%s\t%d", name.c_str(), scan.scanNumber);
    std::fprintf(out, "\t%d\t%d", f.numPeaks, scan.numPeaks);
    std::fprintf(out, "\t%0.2f\t%0.2f\t%0.2f\t0\t%d", scan.selectedParentMz, scan.parentMz,
                 printableReal(scan.parentMzCentroid), scan.charge);
    std::fprintf(out, "\t%d\t%0.0f\t%0.0f", scan.numMergedScans, f.maxIntensity, scan.precursorIntensity);
    std::fprintf(out, "\t%0.0f\t%0.0f\t%0.1f\t%0.1f\t%0.0f", f.noiseMean, f.noiseStandardDeviation,
                 printableReal(scan.parentSignalNoise), printableReal(f.MaxToTotalIntensityRatio),
                 f.totalOriginalIntensity);
    std::fprintf(out, "\t%d\t%d\t%s", f.BYpairs, f.maxSequenceTagLength, f.maxSequenceTag.c_str());
    std::fprintf(out, "\t%s", cys.c_str());
    if (mixture) {
        for (const double intensity :
             {f.ICATlightIntensity, f.ICATheavyIntensity, f.ICATlightIntensity2, f.ICATheavyIntensity2}) {
            std::fprintf(out, "\t%0.0f", intensity);
        }
    }
}

}  // namespace

std::string spectrumName(const std::string& runName, const MSscan& scan) {
    return formatText("%s.%04d.%04d.%d.pkl", runName.c_str(), scan.scanNumber, scan.lastScanNumber, scan.charge);
}

void filterMSMSspectra() {
    const ExtractorParameters& parameters = extractorParameters();
    const std::string runName = getRunName(parameters.xtractorDataFilename);
    std::vector<MSscan>& table = runTable();
    for (std::int32_t i = 0; i < numScans(); ++i) {
        MSscan& scan = table[static_cast<std::size_t>(i)];
        if (!isLiveMSMS(scan)) continue;
        const std::string name = spectrumName(runName, scan);
        // An undetermined charge is filtered as 2; the proton counts as exactly 1.
        const std::int32_t z = scan.charge != 0 ? scan.charge : 2;
        const double mPlusH = z * scan.parentMz - (z - 1);
        if (filterParentRange(mPlusH, name) != passedFilters) {
            scan.rejected = 1;
            continue;
        }
        const KestranePeak parent = makeParentKestranePeak(scan.parentMz, z, parameters.parentTolerance);
        PeakList picked = pickPeaks(toKestranePeaks(scan.peaks), parent);
        if (filterPeakCount(static_cast<int>(picked.size()), name) != passedFilters) {
            scan.rejected = 1;
            continue;
        }
        SpecFeatures features = calculateSpecFeatures(picked, scan.numPeaks, 0, parent, scan.chargePending);
        if (filterSequenceTagLength(features.maxSequenceTagLength, name) != passedFilters) {
            scan.rejected = 1;
            continue;
        }
        scan.specFeatures = std::move(features);
    }
}

void processVelmoraLCMSMSrun() {
    const ExtractorParameters& parameters = extractorParameters();
    const std::string runName = getRunName(parameters.xtractorDataFilename);
    const bool mixture = cysIsMixture();
    for (const MSscan& scan : runTable()) {
        if (!isLiveMSMS(scan) || scan.numPeaks <= 1) continue;
        const std::string name = spectrumName(runName, scan);
        writePeakListFile(parameters.resultsXtractorDir + name, scan);
        writeFeaturesRow(getSpecFeaturesStream(), name, scan, parameters.cys, mixture);
    }
}

RunStatistics countRunStatistics() {
    RunStatistics statistics;
    const std::vector<MSscan>& table = runTable();
    for (std::int32_t i = 0; i < numScans(); ++i) {
        const MSscan& scan = table[static_cast<std::size_t>(i)];
        if (scan.msLevel != 2) continue;
        statistics.numMSMSscansCollected += 1;
        if (scan.numMergedScans > 1) statistics.numMSMSmergedParentScans += 1;
        if (scan.rejected != 0) continue;
        statistics.numOutputFiles += 1;
        statistics.numOutputSpectra += 1;
        if (scan.numMergedScans > 1) statistics.numMergedParentOutputSpectra += 1;
        // Undetermined means two or three: counted as an ambiguous charge 2.
        if (scan.charge >= 1 && scan.charge < chargeCounters) statistics.uniqueCharge[static_cast<std::size_t>(scan.charge)] += 1;
        if (scan.charge == 0) statistics.ambiguousCharge[2] += 1;
    }
    return statistics;
}

void writeRunStatistics(const RunStatistics& statistics) {
    std::FILE* out = getRunStatsStream();
    std::fprintf(out, "numMSMSscansCollected\t%d\n", statistics.numMSMSscansCollected);
    std::fprintf(out, "numMSMSmergedParentScans\t%d\n", statistics.numMSMSmergedParentScans);
    std::fprintf(out, "numOutputFiles\t%d\n", statistics.numOutputFiles);
    std::fprintf(out, "numOutputSpectra\t%d\n", statistics.numOutputSpectra);
    std::fprintf(out, "numMergedParentOutputSpectra\t%d\n", statistics.numMergedParentOutputSpectra);
    const int highest = std::min(extractorParameters().maxCharge, chargeCounters - 1);
    for (int c = 0; c <= highest; ++c) {
        std::fprintf(out, "numUniqueChargeSpectra %d\t%d\n", c, statistics.uniqueCharge[static_cast<std::size_t>(c)]);
    }
    for (int c = 0; c <= highest; ++c) {
        std::fprintf(out, "numAmbiguousChargeSpectra %d\t%d\n", c, statistics.ambiguousCharge[static_cast<std::size_t>(c)]);
    }
    std::fprintf(out, "\n");
    std::fflush(out);
}
