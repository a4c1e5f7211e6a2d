#pragma once
// After filtering, in both programs: each written spectrum's precursor
// intensity summed over the MS scans around it and, for isotope-coded
// reagent mixtures, the intensities at its light and heavy partners (at the
// pair's mass difference over the charge, 2 when undetermined).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/chemistry/reagent_mixtures.h"
#include "core/extractor/extraction_context.h"
#include "core/extractor/survey_scans.h"

// Records beyond one, and before it, whose survey scans it reads.
inline std::int32_t precursorTICsReach(const ExtractorParameters& parameters) {
    return std::max(parameters.groupScans, 0);
}

// Records [first, end): the survey scans within precursorTICsReach of them
// must be final.
template <class Record>
void calculatePrecursorTICs(std::vector<Record>& records, std::int32_t first, std::int32_t end,
                            const ExtractionContext& context) {
    const ExtractorParameters& parameters = context.parameters;
    const bool mixture = cysIsMixture(parameters.cys);
    const double difference = mixture ? mixtureMassDifference(parameters.cys, context.chemistry.groups) : 0.0;
    for (std::int32_t i = first; i < end; ++i) {
        Record& scan = records[static_cast<std::size_t>(i)];
        if (scan.msLevel != 2 || scan.numPeaks <= 1 || scan.rejected) continue;
        const auto intensityAt = [&](double mz) {
            return precursorIntensityInMSscans(records, mz, scan.scanNumber, parameters.groupScans,
                                               parameters.parentTolerance);
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
