#include "core/extractor/query_keys.h"

#include <cstdio>
#include <type_traits>

#include "core/util/number_text.h"

namespace {

using P = ExtractorParameters;
constexpr KeyPrograms both = KeyPrograms::both;
constexpr KeyPrograms yep = KeyPrograms::yepharvest;

constexpr const char* kData = "Data and folders";
constexpr const char* kMerging = "Merging";
constexpr const char* kCharge = "Charge";
constexpr const char* kFilters = "Filters";
constexpr const char* kPicking = "Peak picking";
constexpr const char* kCysteine = "Cysteine modification";
constexpr const char* kIgnored = "Accepted and ignored";

KeyRange within(double lowest, double highest) { return {lowest, highest, false}; }

const std::vector<KeyChoice> kNoYes = {{"0", "No"}, {"1", "Yes"}};

QueryKey advanced(QueryKey key) {
    key.advanced = true;
    return key;
}

// The order is that of the range check: the first key out of range is the
// one the error page names.
std::vector<QueryKey> makeKeys() {
    return {
        advanced({"lowCharge", &P::lowCharge, KeyType::integer, "4", within(0, 9), "Lowest fixed charge",
         "Without Find or Default: the charge every spectrum is written with when it equals highCharge (0: "
         "undetermined).",
         kCharge, yep}),
        advanced({"highCharge", &P::highCharge, KeyType::integer, "4", within(0, 9), "Highest fixed charge",
         "Without Find or Default: must equal lowCharge for a fixed charge; otherwise no spectrum gets one.", kCharge,
         yep}),
        {"autoCharge", &P::autoCharge, KeyType::text, nullptr, std::nullopt, "Charge determination",
         "Find: fragments, survey scans and b/y pairs decide each precursor's charge. Default: only singly charged "
         "spectra get a charge. Absent or anything else: the fixed charge lowCharge when it equals highCharge, else "
         "none.",
         kCharge, yep, "Find", false,
         {{"Find", "Find each charge"}, {"Default", "Only singly charged"}, {"", "Fixed: lowCharge = highCharge"}}},
        {"maxCharge", &P::maxCharge, KeyType::integer, "5", within(1, 9), "Highest charge",
         "Highest charge considered, and the last charge counted in the run statistics.", kCharge, both},
        advanced({"minMSsignalNoise", &P::minMSsignalNoise, KeyType::integer, "50", within(0, 1000000),
         "Survey signal-to-noise for charge evidence",
         "Signal-to-noise ratio a survey-scan peak needs to count as evidence of the precursor's charge.", kCharge,
         yep}),
        {"groupScans", &P::groupScans, KeyType::integer, "15", within(0, 10000), "Merging window (scans)",
         "MS/MS spectra of one precursor less than this many scans apart are merged into one peak list.", kMerging,
         both},
        {"firstScan", &P::firstScan, KeyType::integer, "1", within(0, 2147483647), "First scan",
         "First scan number taken.", kFilters, both},
        {"lastScan", &P::lastScan, KeyType::integer, "9999", within(0, 2147483647), "Last scan",
         "Last scan number taken. The front ends take the whole run; the programs' own 9999 drops every later scan "
         "of today's runs.",
         kFilters, both, "999999999"},
        {"lowParent", &P::lowParent, KeyType::real, "500.0", within(0, 1e9), "Lowest precursor M+H (Da)",
         "Spectra whose precursor M+H lies below this are rejected.", kFilters, both},
        {"highParent", &P::highParent, KeyType::real, "5000.0", within(0, 1e9), "Highest precursor M+H (Da)",
         "Spectra whose precursor M+H lies above this are rejected.", kFilters, both},
        {"parentTolerance", &P::parentTolerance, KeyType::real, "0.5", KeyRange{0, 1000, true},
         "Precursor tolerance (Th)",
         "Precursor m/z tolerance of merging, charge determination, filters and precursor intensities.", kMerging,
         both},
        {"fragmentTolerance", &P::fragmentTolerance, KeyType::real, "0.7", std::nullopt, "Fragment tolerance",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        {"minMatchedPercent", &P::minMatchedPercent, KeyType::real, "47.0", std::nullopt, "Matched percent",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        {"parent_shift", &P::parent_shift, KeyType::real, "69.0", std::nullopt, "Parent shift",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        {"tolerance_units", &P::tolerance_units, KeyType::unitsCode, "Da", std::nullopt, "Tolerance units",
         "Read for older front ends (Da, ppm, mmu or %); no stage uses it.", kIgnored, both, nullptr, true},
        {"xtractorDataFilename", &P::xtractorDataFilename, KeyType::text, "", std::nullopt, "Run data file",
         "yepharvest: a run folder's X.d/Analysis.yep (the folder holds Analysis.mzML or Analysis.mzXML, plain or "
         ".gz) or an export file itself; wiffharvest: the .wiff file, whose exports <run>.mzML or "
         "<run>-<sample>.mzML lie beside it.",
         kData, both},
        advanced({"output_filename", &P::output_filename, KeyType::text, "", std::nullopt, "Results page name",
         "Mode Peak-Picker only: name of the results page in the peak-list folder (.htm is added).", kData, both}),
        advanced({"specFeaturesFilename", &P::specFeaturesFilename, KeyType::text, "", std::nullopt,
         "Spectrum-features file name", "File name of the spectrum-features log in the log folder.", kData, both,
         "specFeatures.txt"}),
        advanced({"resultsXtractorDir", &P::resultsXtractorDir, KeyType::text, "", std::nullopt, "Peak-list folder",
         "Folder of the .pkl and MGF peak lists, ending in a separator: the file names are glued to it.", kData,
         both}),
        advanced({"logFileDir", &P::logFileDir, KeyType::text, "", std::nullopt, "Log folder",
         "Folder of the four logs (spectrum features, reject reasons, charge check, run statistics), ending in a "
         "separator; rows are appended.",
         kData, both}),
        {"noOutputSpectra", &P::noOutputSpectra, KeyType::integer, "0", std::nullopt, "Number of output spectra",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        advanced({"maxSequenceTagLength", &P::maxSequenceTagLength, KeyType::integer, "0", within(0, 1000),
         "Sequence tag longer than",
         "A spectrum is written only when its longest sequence tag is longer than this; 0 drops only spectra "
         "without any tag.",
         kFilters, both}),
        advanced({"findMonoisotopicParent", &P::findMonoisotopicParent, KeyType::integer, "0", within(0, 1),
         "Monoisotopic precursor", "1: move each precursor to its monoisotopic peak in the preceding survey scan.",
         kCharge, yep, nullptr, false, kNoYes}),
        {"findAverageParent", &P::findAverageParent, KeyType::integer, "0", std::nullopt, "Average precursor",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        advanced({"chargeFromSurveyIsotopes", &P::chargeFromSurveyIsotopes, KeyType::integer, "0", within(0, 1),
         "Charge from survey isotopes",
         "1, with Find or Default: spectra left without a charge, or called singly charged by their fragments, take "
         "the charge their precursor's resolved isotope envelope shows in the preceding survey scan, when it is "
         "unambiguous.",
         kCharge, yep, nullptr, false, kNoYes}),
        advanced({"minSignalNoiseRatio", &P::minSignalNoiseRatio, KeyType::integer, "5", within(0, 1000000),
         "Fragment signal-to-noise",
         "Signal-to-noise ratio a fragment peak needs to be kept (instrument.txt may set its own).", kPicking, both}),
        advanced({"peakLimitCount", &P::peakLimitCount, KeyType::integer, "25", within(1, 1000000), "Peaks per window",
         "Peaks kept per window in peak picking (instrument.txt may set its own).", kPicking, both}),
        {"instrument_name", &P::instrument_name, KeyType::text, "", std::nullopt, "Instrument name",
         "Read for older front ends; no stage uses it (the programs choose their instrument block themselves).",
         kIgnored, both, nullptr, true},
        advanced({"xtractorMode", &P::xtractorMode, KeyType::text, "", std::nullopt, "Mode",
         "Normal extraction; Q-Tof Xtractor writes the shorter Q-Tof spectrum-features columns; Peak-Picker also "
         "writes the program's page to output_filename.htm in the peak-list folder.",
         kData, both, nullptr, false,
         {{"", "Normal extraction"}, {"Q-Tof Xtractor", "Q-Tof Xtractor"}, {"Peak-Picker", "Peak-Picker"}}}),
        {"cys", &P::cys, KeyType::text, "pyridylethylation", std::nullopt, "Cysteine modification",
         "Cysteine modification of the sample, a name from msparams_quarrow/cysteines.tsv. A -mix reagent pair adds "
         "the light and heavy intensity columns to the spectrum features.",
         kCysteine, both, nullptr, false, {}, true},
        {"libraryDir", &P::libraryDir, KeyType::text, "", std::nullopt, "Library folder",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        {"queryDir", &P::queryDir, KeyType::text, "", std::nullopt, "Query folder",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        {"parent_shift_type", &P::parent_shift_type, KeyType::text, "", std::nullopt, "Parent shift type",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        {"search_type", &P::search_type, KeyType::text, "", std::nullopt, "Search type",
         "Read for older front ends; no stage uses it.", kIgnored, both, nullptr, true},
        {"libraryFiles", &P::libraryFiles, KeyType::lines, "", std::nullopt, "Library files",
         "Read for older front ends (one file per line); no stage uses it.", kIgnored, both, nullptr, true},
        {"queryFiles", &P::queryFiles, KeyType::lines, "", std::nullopt, "Query files",
         "Read for older front ends (one file per line); no stage uses it.", kIgnored, both, nullptr, true},
        {"peakListFormat", &P::peakListFormat, KeyType::text, "pkl", std::nullopt, "Peak-list format",
         "pkl: one .pkl file per spectrum; mgf: one MGF file per run (per sample of a .wiff file) for today's "
         "search engines; both. The front ends default to mgf, which today's search engines read.",
         kData, both, "mgf", false, {{"pkl", ".pkl files"}, {"mgf", "one MGF file"}, {"both", "both"}}},
    };
}

std::int32_t toleranceUnitsCode(const std::string& value) {
    if (value == "Da") return 0;
    if (value == "ppm") return 1;
    if (value == "mmu") return 2;
    if (value == "%") return 3;
    return 4;
}

// "1000000000", not "1e+09".
std::string boundText(double value) {
    char text[64];
    const bool whole = value == static_cast<double>(static_cast<long long>(value));
    std::snprintf(text, sizeof text, whole ? "%.0f" : "%g", value);
    return text;
}

}  // namespace

bool KeyRange::fits(double value) const {
    // Written so that a value that is not a number never fits.
    const bool aboveLowest = lowestExcluded ? value > lowest : value >= lowest;
    return aboveLowest && value <= highest;
}

std::string KeyRange::text() const {
    if (lowestExcluded) return "above " + boundText(lowest) + " up to " + boundText(highest);
    return boundText(lowest) + " - " + boundText(highest);
}

const std::vector<QueryKey>& queryKeys() {
    static const std::vector<QueryKey> keys = makeKeys();
    return keys;
}

const std::vector<const char*>& queryKeyGroups() {
    static const std::vector<const char*> groups = {kData, kMerging, kCharge, kFilters, kPicking, kCysteine, kIgnored};
    return groups;
}

const QueryKey* findQueryKey(std::string_view name) {
    for (const QueryKey& key : queryKeys()) {
        if (name == key.name) return &key;
    }
    return nullptr;
}

bool readBy(const QueryKey& key, std::string_view program) {
    switch (key.programs) {
        case KeyPrograms::both: return true;
        case KeyPrograms::yepharvest: return program == "yepharvest";
        case KeyPrograms::wiffharvest: return program == "wiffharvest";
    }
    return false;
}

std::string frontEndValue(const QueryKey& key) {
    const char* value = key.frontEndDefault != nullptr ? key.frontEndDefault : key.programDefault;
    return value != nullptr ? value : "";
}

double numericValue(const QueryKey& key, const ExtractorParameters& parameters) {
    if (const auto* integer = std::get_if<std::int32_t P::*>(&key.field)) return parameters.**integer;
    if (const auto* real = std::get_if<double P::*>(&key.field)) return parameters.**real;
    return 0.0;
}

void applyQueryValue(const QueryKey& key, ExtractorParameters& parameters, const std::string& value) {
    std::visit(
        [&](auto member) {
            auto& field = parameters.*member;
            using Field = std::remove_reference_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::int32_t>) {
                field = key.type == KeyType::unitsCode ? toleranceUnitsCode(value) : textToInteger(value);
            } else if constexpr (std::is_same_v<Field, double>) {
                field = textToReal(value);
            } else if constexpr (std::is_same_v<Field, std::vector<std::string>>) {
                field = get_post_query_string_array(value);
            } else {
                field = value;
            }
        },
        key.field);
}
