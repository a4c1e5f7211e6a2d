#include "core/extractor/output_files.h"

#include "core/chemistry/reagent_mixtures.h"
#include "core/util/checked_file.h"
#include "core/util/format_text.h"
#include "core/util/html_page.h"

namespace {

constexpr const char* openLabel = "Function: openXtractorOutputFiles";

// Several runs may open the same log at once: the header is written under
// the file's lock, by the one that finds it empty.
LogSink openLog(const std::string& path, const std::string& header) {
    LogSink log(openTextFile(path, "a", openLabel), path, LogSink::Rows::startWithLineFeed);
    log.writeHeaderIfEmpty(header, openLabel);
    return log;
}

}  // namespace

std::string specFeaturesHeader(const ExtractorParameters& p, FeaturesRows rows) {
    if (p.mode == XtractorMode::qtof) {
        return "originalSpectrumFile\tnumPeaks\tnumOriginalPeaks\tparent_m_over_z\tparent_M_plus_H\tparent_charge"
               "\tmaxIntensity\ttotalIntensity\tnoiseMean\tnoiseStandardDeviation\tMaxToTotalIntensityRatio"
               "\ttotalOriginalIntensity\tBYpairs\tmaxSequenceTagLength\tmaxSequenceTag";
    }
    const std::string mixture = cysIsMixture(p.cys)
                                    ? "\tICATlightIntensity\tICATheavyIntensity\tICATlightIntensity2\tICATheavyIntensity2"
                                    : "";
    if (rows == FeaturesRows::wiffRun) {
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

XtractorOutputFiles openXtractorOutputFiles(const ExtractorParameters& p, FeaturesRows rows) {
    XtractorOutputFiles files;
    files.parentChargeCheck =
        openLog(formatText("%sparentChargeCheck.txt", p.logFileDir.c_str()), "scanNumber\tChargeAssignment");
    files.rejectReasons = openLog(formatText("%sxtractorRejectReasons.txt", p.logFileDir.c_str()),
                                  "spectrumName\tnumScansAfterParent\tRejectReason");
    files.specFeatures =
        openLog(formatText("%s%s", p.logFileDir.c_str(), p.specFeaturesFilename.c_str()), specFeaturesHeader(p, rows));
    // The stages write to it unconditionally, so a failure to open it is as
    // fatal as for the other three.
    // A run's statistics text is written whole, when the log closes.
    const std::string runStats = formatText("%srunStats.txt", p.logFileDir.c_str());
    files.runStats = LogSink(openFile(runStats, "a", openLabel), runStats, LogSink::Rows::wholeRun);
    return files;
}

void openResultsPage(const ExtractorParameters& p) {
    const std::string path = formatText("%s%c%s.htm", p.resultsXtractorDir.c_str(), '/', p.output_filename.c_str());
    setHtmlStream(openTextFile(path, "w", openLabel));
}

void XtractorOutputFiles::close() {
    parentChargeCheck.close();
    rejectReasons.close();
    specFeatures.close();
    runStats.close();
}
