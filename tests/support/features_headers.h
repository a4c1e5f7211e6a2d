#pragma once
// The header lines of the spectrum-features file, written out by hand: the
// form most runs get, the .wiff form, the Q-Tof form, and the columns a
// reagent mixture and a run with survey scans add.
#include <string>

inline const std::string kFeaturesHeader =
    "originalSpectrumFile\tscanNumber\tnumPeaks\tnumOriginalPeaks\tselected_parent_m_over_z\tparent_m_over_z"
    "\tparent_m_over_z_centroid\tparent_M_plus_H\tparent_charge\tnumScansAfterParent\tmaxIntensity\ttotalIntensity"
    "\tnoiseMean\tnoiseStandardDeviation\tparentSignalNoise\tMaxToTotalIntensityRatio\ttotalOriginalIntensity"
    "\tBYpairs\tmaxSequenceTagLength\tmaxSequenceTag\txtractorCys";
inline const std::string kMixtureColumns = "\tICATlightIntensity\tICATheavyIntensity\tICATlightIntensity2\tICATheavyIntensity2";
inline const std::string kPrecedingScanColumn = "\tnoiseMeanInPrecedingMSscan";
inline const std::string kWiffFeaturesHeader =
    "originalSpectrumFile\tscanNumber\tnumPeaks\tnumOriginalPeaks\tnumProfilePeaks\tselected_parent_m_over_z"
    "\tparent_m_over_z\tparent_M_plus_H\tparent_charge\tcollisionEnergy\ttotalIntensity\tnoiseMean"
    "\tnoiseStandardDeviation\tMaxToTotalIntensityRatio\tmaxIntensity\ttotalOriginalIntensity\tBYpairs"
    "\tmaxSequenceTagLength\tmaxSequenceTag\txtractorCys";
inline const std::string kQtofFeaturesHeader =
    "originalSpectrumFile\tnumPeaks\tnumOriginalPeaks\tparent_m_over_z\tparent_M_plus_H\tparent_charge"
    "\tmaxIntensity\ttotalIntensity\tnoiseMean\tnoiseStandardDeviation\tMaxToTotalIntensityRatio"
    "\ttotalOriginalIntensity\tBYpairs\tmaxSequenceTagLength\tmaxSequenceTag";
