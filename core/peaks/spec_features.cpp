#include "core/peaks/spec_features.h"

#include <algorithm>

#include "core/peaks/fragment_pairs.h"
#include "core/peaks/intensity_statistics.h"
#include "core/peaks/lu_seq_tag/sequence_tags.h"
#include "core/peaks/parent_peak.h"
#include "core/util/printable_real.h"

namespace {
// Scale of the precursor m/z when singly charged pairs are counted for a
// precursor of charge 3 or more.
constexpr double kHighChargeMzFactor = 0.999367342;

void takeLongerTag(SpecFeatures& features, const SequenceTagResult& tag) {
    if (tag.length > features.maxSequenceTagLength) {
        features.maxSequenceTagLength = tag.length;
        features.maxSequenceTag = tag.text;
    }
}
}  // namespace

SpecFeatures calculateSpecFeatures(PeakList& list, std::int32_t numOriginalPeaks, std::int32_t callerValue,
                                   const KestranePeak& parent, std::int32_t chargeUnknown,
                                   const NoiseStatistics& noise, double parentTolerance,
                                   std::int32_t instrumentChargesCertain, const ChemistryTables& chemistry) {
    const GroupMasses& masses = chemistry.groups;
    SpecFeatures features;
    features.parent_M_plus_H = parent.mPlusH;
    features.parent_charge = parent.charge;
    features.parent_m_over_z = parent.mOverZ;
    features.numPeaks = static_cast<std::int32_t>(list.size());
    features.numOriginalPeaks = numOriginalPeaks;
    features.callerValue = callerValue;
    features.maxIntensity = maxPeakIntensity(list);
    features.totalOriginalIntensity = totalPeakIntensity(list);
    features.parentIntensity = parent.intensity > 0.0 ? parent.intensity : features.totalOriginalIntensity;
    features.noiseMean = noise.noiseMean;
    features.noiseStandardDeviation = noise.noiseStandardDeviation;
    features.MaxToTotalIntensityRatio =
        printableReal(features.maxIntensity * 100.0 / features.totalOriginalIntensity);

    const double tolerance = parentTolerance;
    const bool chargesCertain = instrumentChargesCertain != 0;
    if (chargeUnknown != 0) {
        for (const std::int32_t z : {2, 3}) {
            const KestranePeak trial = makeParentKestranePeak(parent.mOverZ, z, tolerance, masses);
            std::int32_t pairs = 0;
            KestranePeak tagParent = trial;
            if (z == 3 && !chargesCertain) {
                tagParent = makeParentKestranePeak(parent.mOverZ * kHighChargeMzFactor, 3, tolerance, masses);
                pairs = countChargeReducedPairs(list, trial, masses) + countBYpairs(list, tagParent, masses);
            } else {
                pairs = countBYpairs(list, trial, masses);
            }
            features.BYpairs = std::max(features.BYpairs, pairs);
            takeLongerTag(features, findLongestSequenceTag(list, tagParent, chemistry));
        }
    } else {
        if (parent.charge < 3 || chargesCertain) {
            features.BYpairs = countBYpairs(list, parent, masses);
        } else {
            const KestranePeak shifted =
                makeParentKestranePeak(parent.mOverZ * kHighChargeMzFactor, parent.charge, tolerance, masses);
            features.BYpairs = countBYpairs(list, shifted, masses) + countChargeReducedPairs(list, parent, masses);
        }
        const SequenceTagResult tag = findLongestSequenceTag(list, parent, chemistry);
        features.maxSequenceTagLength = tag.length;
        features.maxSequenceTag = tag.text;
    }
    return features;
}
