#include "core/extractor/output_files.h"

#include "core/chemistry/amino_acids.h"
#include "core/extractor/extractor_parameters.h"
#include "core/util/checked_file.h"
#include "core/util/format_text.h"
#include "core/util/html_page.h"
#include "core/util/text_path.h"

namespace {

std::FILE* parentChargeCheckStream = nullptr;
std::FILE* rejectReasonsStream = nullptr;
std::FILE* specFeaturesStream = nullptr;
std::FILE* runStatsStream = nullptr;

constexpr const char* openLabel = "Function: openXtractorOutputFiles";

std::FILE* openLog(const std::string& path, const std::string& header) {
    std::FILE* stream = openTextFile(path, "a", openLabel);
    if (gen_file_size(path) == 0) {
        std::fputs(header.c_str(), stream);
        std::fflush(stream);
    }
    return stream;
}

}  // namespace

std::string specFeaturesHeader() {
    const ExtractorParameters& p = extractorParameters();
    if (p.xtractorMode == "Q-Tof Xtractor") {
        return "originalSpectrumFile\tnumPeaks\tnumOriginalPeaks\tparent_m_over_z\tparent_M_plus_H\tparent_charge"
               "\tmaxIntensity\ttotalIntensity\tnoiseMean\tnoiseStandardDeviation\tMaxToTotalIntensityRatio"
               "\ttotalOriginalIntensity\tBYpairs\tmaxSequenceTagLength\tmaxSequenceTag";
    }
    const std::string mixture = cysIsMixture()
                                    ? "\tICATlightIntensity\tICATheavyIntensity\tICATlightIntensity2\tICATheavyIntensity2"
                                    : "";
    if (fileExtension(p.xtractorDataFilename) == "wiff") {
        return "originalSpectrumFile\tscanNumber\tnumPeaks\tnumOriginalPeaks\tnumProfilePeaks"
               "\tselected_parent_m_over_z\tparent_m_over_z\tparent_M_plus_H\tparent_charge\tcollisionEnergy"
               "\ttotalIntensity"
               "\tnoiseMean\tnoiseStandardDeviation\tMaxToTotalIntensityRatio\tmaxIntensity\ttotalOriginalIntensity"
               "\tBYpairs\tmaxSequenceTagLength\tmaxSequenceTag"
               "\txtractorCys" +
               mixture;
    }
    return "originalSpectrumFile\tscanNumber\tnumPeaks\tnumOriginalPeaks\tselected_parent_m_over_z\tparent_m_over_z"
           "\tparent_m_over_z_centroid\tparent_M_plus_H\tparent_charge\tnumScansAfterParent\tmaxIntensity"
           "\ttotalIntensity"
           "\tnoiseMean\tnoiseStandardDeviation\tparentSignalNoise\tMaxToTotalIntensityRatio\ttotalOriginalIntensity"
           "\tBYpairs\tmaxSequenceTagLength\tmaxSequenceTag"
           "\txtractorCys" +
           mixture + "\tnoiseMeanInPrecedingMSscan";
}

int openXtractorOutputFiles() {
    const ExtractorParameters& p = extractorParameters();
    parentChargeCheckStream = openLog(formatText("%sparentChargeCheck.txt", p.logFileDir.c_str()),
                                      "scanNumber\tChargeAssignment");
    rejectReasonsStream = openLog(formatText("%sxtractorRejectReasons.txt", p.logFileDir.c_str()),
                                  "spectrumName\tnumScansAfterParent\tRejectReason");
    const std::string featuresPath = formatText("%s%s", p.logFileDir.c_str(), p.specFeaturesFilename.c_str());
    specFeaturesStream = openTextFile(featuresPath, "a", openLabel);
    if (gen_file_size(featuresPath) == 0) {
        std::fputs(specFeaturesHeader().c_str(), specFeaturesStream);
        std::fflush(specFeaturesStream);
    }
    // The stages write to it unconditionally, so a failure to open it is as
    // fatal as for the other three.
    runStatsStream = openFile(formatText("%srunStats.txt", p.logFileDir.c_str()), "a", openLabel);
    return 0;
}

int openResultsPage() {
    const ExtractorParameters& p = extractorParameters();
    const std::string path = formatText("%s%c%s.htm", p.resultsXtractorDir.c_str(), '/', p.output_filename.c_str());
    setHtmlStream(openTextFile(path, "w", openLabel));
    return 0;
}

std::FILE* getParentChargeCheckStream() { return parentChargeCheckStream; }
std::FILE* getRejectReasonsStream() { return rejectReasonsStream; }
std::FILE* getSpecFeaturesStream() { return specFeaturesStream; }
std::FILE* getRunStatsStream() { return runStatsStream; }

int mixtureMassDifference(double& difference) {
    difference = reagentPairMassDifference(extractorParameters().cys);
    return 0;
}
