#include "core/extractor/extractor_parameters.h"

#include "core/util/number_text.h"

namespace {

void applyEntry(ExtractorParameters& p, const QueryEntry& entry) {
    const std::string& key = entry.name;
    const std::string& value = entry.value;
    // Every key is tested for every entry: there is no "else".
    if (key == "lowCharge") p.lowCharge = textToInteger(value);
    if (key == "highCharge") p.highCharge = textToInteger(value);
    if (key == "autoCharge") p.autoCharge = value;
    if (key == "maxCharge") p.maxCharge = textToInteger(value);
    if (key == "minMSsignalNoise") p.minMSsignalNoise = textToInteger(value);
    if (key == "groupScans") p.groupScans = textToInteger(value);
    if (key == "firstScan") p.firstScan = textToInteger(value);
    if (key == "lastScan") p.lastScan = textToInteger(value);
    if (key == "lowParent") p.lowParent = textToReal(value);
    if (key == "highParent") p.highParent = textToReal(value);
    if (key == "parentTolerance") p.parentTolerance = textToReal(value);
    if (key == "fragmentTolerance") p.fragmentTolerance = textToReal(value);
    if (key == "minMatchedPercent") p.minMatchedPercent = textToReal(value);
    if (key == "parent_shift") p.parent_shift = textToReal(value);
    if (key == "tolerance_units") p.tolerance_units = toleranceUnitsCode(value);
    if (key == "xtractorDataFilename") p.xtractorDataFilename = value;
    if (key == "output_filename") p.output_filename = value;
    if (key == "specFeaturesFilename") p.specFeaturesFilename = value;
    if (key == "resultsXtractorDir") p.resultsXtractorDir = value;
    if (key == "logFileDir") p.logFileDir = value;
    if (key == "noOutputSpectra") p.noOutputSpectra = textToInteger(value);
    if (key == "maxSequenceTagLength") p.maxSequenceTagLength = textToInteger(value);
    if (key == "findMonoisotopicParent") p.findMonoisotopicParent = textToInteger(value);
    if (key == "findAverageParent") p.findAverageParent = textToInteger(value);
    if (key == "minSignalNoiseRatio") p.minSignalNoiseRatio = textToInteger(value);
    if (key == "peakLimitCount") p.peakLimitCount = textToInteger(value);
    if (key == "chargeFromSurveyIsotopes") p.chargeFromSurveyIsotopes = textToInteger(value);
    if (key == "instrument_name") p.instrument_name = value;
    if (key == "xtractorMode") p.xtractorMode = value;
    if (key == "cys") p.cys = value;
    if (key == "libraryDir") p.libraryDir = value;
    if (key == "queryDir") p.queryDir = value;
    if (key == "parent_shift_type") p.parent_shift_type = value;
    if (key == "search_type") p.search_type = value;
    if (key == "peakListFormat") p.peakListFormat = value;
    if (key == "libraryFiles") p.libraryFiles = get_post_query_string_array(value);
    if (key == "queryFiles") p.queryFiles = get_post_query_string_array(value);
}

}  // namespace

std::int32_t toleranceUnitsCode(const std::string& value) {
    if (value == "Da") return 0;
    if (value == "ppm") return 1;
    if (value == "mmu") return 2;
    if (value == "%") return 3;
    return 4;
}

ExtractorParameters readExtractorParameters(const std::vector<QueryEntry>& entries) {
    ExtractorParameters parameters;
    for (const QueryEntry& entry : entries) applyEntry(parameters, entry);
    return parameters;
}
