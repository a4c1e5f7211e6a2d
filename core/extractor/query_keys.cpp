#include "core/extractor/query_keys.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <type_traits>

#include "core/extractor/peak_list_formats.h"
#include "core/util/number_text.h"
#include "core/util/text_path.h"

namespace {

using P = ExtractorParameters;
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

constexpr const char* kUnusedHelp = "Read for older front ends; no stage uses it.";

// A key no stage reads: accepted for older front ends.
QueryKey unusedKey(const char* name, KeyRole role, KeyField field, KeyType type, const char* programDefault,
                   const char* label, const char* help = kUnusedHelp) {
    return {.name = name, .role = role, .field = field, .type = type, .programDefault = programDefault,
            .group = kIgnored, .label = label, .help = help, .unused = true};
}

// The order is that of the range check: the first key out of range is the
// one the error page names.
// Each format of the format table, then the names that stand for several.
std::vector<KeyChoice> peakListFormatChoices() {
    std::vector<KeyChoice> choices;
    for (const PeakListFormatEntry& entry : peakListFormatTable()) choices.push_back({entry.name, entry.choice});
    for (const PeakListFormatAlias& alias : peakListFormatAliases()) choices.push_back({alias.name, alias.name});
    return choices;
}

std::vector<QueryKey> makeKeys() {
    using enum KeyRole;
    return {
        {.name = "lowCharge", .role = number, .field = &P::lowCharge, .type = KeyType::integer,
         .programDefault = "4", .range = within(0, 9), .programs = yep, .group = kCharge,
         .label = "Lowest fixed charge",
         .help = "Without Find or Default: the charge every spectrum is written with when it equals highCharge (0: "
                 "undetermined).",
         .advanced = true},
        {.name = "highCharge", .role = number, .field = &P::highCharge, .type = KeyType::integer,
         .programDefault = "4", .range = within(0, 9), .programs = yep, .group = kCharge,
         .label = "Highest fixed charge",
         .help = "Without Find or Default: must equal lowCharge for a fixed charge; otherwise no spectrum gets one.",
         .advanced = true},
        {.name = "autoCharge", .role = choice, .field = &P::autoCharge, .type = KeyType::text,
         .choices = {{"Find", "Find each charge"}, {"Default", "Only singly charged"},
                     {"", "Fixed: lowCharge = highCharge"}},
         .frontEndDefault = "Find", .programs = yep, .group = kCharge, .label = "Charge determination",
         .help = "Find: fragments, survey scans and b/y pairs decide each precursor's charge. Default: only singly "
                 "charged spectra get a charge. Absent or anything else: the fixed charge lowCharge when it equals "
                 "highCharge, else none."},
        {.name = "maxCharge", .role = number, .field = &P::maxCharge, .type = KeyType::integer,
         .programDefault = "5", .range = within(1, 9), .group = kCharge, .label = "Highest charge",
         .help = "Highest charge considered, and the last charge counted in the run statistics."},
        {.name = "minMSsignalNoise", .role = number, .field = &P::minMSsignalNoise, .type = KeyType::integer,
         .programDefault = "50", .range = within(0, 1000000), .programs = yep, .group = kCharge,
         .label = "Survey signal-to-noise for charge evidence",
         .help = "Signal-to-noise ratio a survey-scan peak needs to count as evidence of the precursor's charge.",
         .advanced = true},
        {.name = "groupScans", .role = number, .field = &P::groupScans, .type = KeyType::integer,
         .programDefault = "15", .range = within(0, 10000), .group = kMerging, .label = "Merging window (scans)",
         .help = "MS/MS spectra of one precursor less than this many scans apart are merged into one peak list."},
        {.name = "firstScan", .role = number, .field = &P::firstScan, .type = KeyType::integer,
         .programDefault = "1", .range = within(0, 2147483647), .group = kFilters, .label = "First scan",
         .help = "First scan number taken."},
        {.name = "lastScan", .role = number, .field = &P::lastScan, .type = KeyType::integer,
         .programDefault = "9999", .range = within(0, 2147483647), .frontEndDefault = "999999999",
         .group = kFilters, .label = "Last scan",
         .help = "Last scan number taken. The front ends take the whole run; the programs' own 9999 drops every "
                 "later scan of today's runs."},
        {.name = "lowParent", .role = number, .field = &P::lowParent, .type = KeyType::real,
         .programDefault = "500.0", .range = within(0, 1e9), .group = kFilters, .label = "Lowest precursor M+H (Da)",
         .help = "Spectra whose precursor M+H lies below this are rejected."},
        {.name = "highParent", .role = number, .field = &P::highParent, .type = KeyType::real,
         .programDefault = "5000.0", .range = within(0, 1e9), .group = kFilters,
         .label = "Highest precursor M+H (Da)", .help = "Spectra whose precursor M+H lies above this are rejected."},
        {.name = "parentTolerance", .role = number, .field = &P::parentTolerance, .type = KeyType::real,
         .programDefault = "0.5", .range = KeyRange{0, 1000, true}, .group = kMerging,
         .label = "Precursor tolerance (Th)",
         .help = "Precursor m/z tolerance of merging, charge determination, filters and precursor intensities."},
        unusedKey("fragmentTolerance", number, &P::fragmentTolerance, KeyType::real, "0.7", "Fragment tolerance"),
        unusedKey("minMatchedPercent", number, &P::minMatchedPercent, KeyType::real, "47.0", "Matched percent"),
        unusedKey("parent_shift", number, &P::parent_shift, KeyType::real, "69.0", "Parent shift"),
        unusedKey("tolerance_units", text, &P::tolerance_units, KeyType::unitsCode, "Da", "Tolerance units",
                  "Read for older front ends (Da, ppm, mmu or %); no stage uses it."),
        {.name = "xtractorDataFilename", .role = runData, .field = &P::xtractorDataFilename, .type = KeyType::text,
         .programDefault = "", .group = kData, .label = "Run data file",
         .help = "yepharvest: a run folder's X.d/Analysis.yep (the folder holds Analysis.mzML or Analysis.mzXML, "
                 "plain or .gz) or an export file itself; wiffharvest: the .wiff file, whose exports <run>.mzML or "
                 "<run>-<sample>.mzML lie beside it.",
         // The launcher checks every path against its roots, so its help says so.
         .rootedHelp = {{yep, "The run's data file under the data root (a path without a leading / starts there): "
                              "a run folder's X.d/Analysis.yep, the folder holding Analysis.mzML or Analysis.mzXML "
                              "(plain or .gz), or an export file itself. Pick one of the runs found or type a path."},
                        {KeyPrograms::wiffharvest,
                         "The .wiff file under the data root (a path without a leading / starts there); its folder "
                         "holds the exports <run>.mzML or <run>-<sample>.mzML. Pick one of the runs found or type a "
                         "path."}}},
        {.name = "output_filename", .role = fileName, .field = &P::output_filename, .type = KeyType::text,
         .programDefault = "", .group = kData, .label = "Results page name",
         .help = "Mode Peak-Picker only: name of the results page in the peak-list folder (.htm is added).",
         .advanced = true},
        {.name = "specFeaturesFilename", .role = logFileName, .field = &P::specFeaturesFilename,
         .type = KeyType::text, .programDefault = "", .frontEndDefault = "specFeatures.txt", .group = kData,
         .label = "Spectrum-features file name", .help = "File name of the spectrum-features log in the log folder.",
         .advanced = true},
        {.name = "resultsXtractorDir", .role = folder, .field = &P::resultsXtractorDir, .type = KeyType::text,
         .programDefault = "", .frontEndFolder = "peaklists", .group = kData, .label = "Peak-list folder",
         .help = "Folder of the .pkl and MGF peak lists, ending in a separator: the file names are glued to it.",
         .advanced = true},
        {.name = "logFileDir", .role = folder, .field = &P::logFileDir, .type = KeyType::text, .programDefault = "",
         .frontEndFolder = "logs", .group = kData, .label = "Log folder",
         .help = "Folder of the four logs (spectrum features, reject reasons, charge check, run statistics), ending "
                 "in a separator; rows are appended.",
         .advanced = true},
        unusedKey("noOutputSpectra", number, &P::noOutputSpectra, KeyType::integer, "0", "Number of output spectra"),
        {.name = "filterOpenCharges", .role = choice, .field = &P::filterOpenCharges, .type = KeyType::integer,
         .programDefault = "0", .range = within(0, 1), .choices = kNoYes, .frontEndDefault = "1", .group = kFilters,
         .label = "Filters at every open charge",
         .help = "1: a spectrum whose MGF block states no charge (the search engine tries the charges itself) is "
                 "judged by the precursor range, the peak count and the sequence tag at each charge from 1 to 3 (up "
                 "to maxCharge) and kept when it passes at one; its reject row names the charges tried. 0: at its "
                 "decided charge alone (undetermined: 2). The front ends default to 1.",
         .advanced = true},
        {.name = "maxSequenceTagLength", .role = number, .field = &P::maxSequenceTagLength, .type = KeyType::integer,
         .programDefault = "0", .range = within(0, 1000), .group = kFilters, .label = "Sequence tag longer than",
         .help = "A spectrum is written only when its longest sequence tag is longer than this; 0 drops only "
                 "spectra without any tag.",
         .advanced = true},
        {.name = "findMonoisotopicParent", .role = choice, .field = &P::findMonoisotopicParent,
         .type = KeyType::integer, .programDefault = "0", .range = within(0, 1), .choices = kNoYes,
         .programs = yep, .group = kCharge, .label = "Monoisotopic precursor",
         .help = "1: move each precursor to its monoisotopic peak in the preceding survey scan.", .advanced = true},
        unusedKey("findAverageParent", number, &P::findAverageParent, KeyType::integer, "0", "Average precursor"),
        {.name = "chargeFromSurveyIsotopes", .role = choice, .field = &P::chargeFromSurveyIsotopes,
         .type = KeyType::integer, .programDefault = "0", .range = within(0, 1), .choices = kNoYes,
         .programs = yep, .group = kCharge, .label = "Charge from survey isotopes",
         .help = "1, with Find or Default: spectra left without a charge, or called singly charged by their "
                 "fragments, take the charge their precursor's resolved isotope envelope shows in the preceding "
                 "survey scan, when it is unambiguous.",
         .advanced = true},
        {.name = "minSignalNoiseRatio", .role = number, .field = &P::minSignalNoiseRatio, .type = KeyType::integer,
         .programDefault = "5", .range = within(0, 1000000), .group = kPicking, .label = "Fragment signal-to-noise",
         .help = "Signal-to-noise ratio a fragment peak needs to be kept (instrument.txt may set its own).",
         .advanced = true},
        {.name = "peakLimitCount", .role = number, .field = &P::peakLimitCount, .type = KeyType::integer,
         .programDefault = "25", .range = within(1, 1000000), .group = kPicking, .label = "Peaks per window",
         .help = "Peaks kept per window in peak picking (instrument.txt may set its own).", .advanced = true},
        unusedKey("instrument_name", text, &P::instrument_name, KeyType::text, "", "Instrument name",
                  "Read for older front ends; no stage uses it (the programs choose their instrument block "
                  "themselves)."),
        {.name = "xtractorMode", .role = choice, .field = &P::xtractorMode, .type = KeyType::text,
         .programDefault = "",
         .choices = {{"", "Normal extraction"}, {"Q-Tof Xtractor", "Q-Tof Xtractor"}, {"Peak-Picker", "Peak-Picker"}},
         .group = kData, .label = "Mode",
         .help = "Normal extraction; Q-Tof Xtractor writes the shorter Q-Tof spectrum-features columns; Peak-Picker "
                 "also writes the program's page to output_filename.htm in the peak-list folder.",
         .advanced = true},
        {.name = "cys", .role = cysteine, .field = &P::cys, .type = KeyType::text,
         .programDefault = "pyridylethylation", .group = kCysteine, .label = "Cysteine modification",
         .help = "Cysteine modification of the sample, a name from msparams_quarrow/cysteines.tsv. A -mix reagent "
                 "pair adds the light and heavy intensity columns to the spectrum features."},
        unusedKey("libraryDir", text, &P::libraryDir, KeyType::text, "", "Library folder"),
        unusedKey("queryDir", text, &P::queryDir, KeyType::text, "", "Query folder"),
        unusedKey("parent_shift_type", text, &P::parent_shift_type, KeyType::text, "", "Parent shift type"),
        unusedKey("search_type", text, &P::search_type, KeyType::text, "", "Search type"),
        unusedKey("libraryFiles", text, &P::libraryFiles, KeyType::lines, "", "Library files",
                  "Read for older front ends (one file per line); no stage uses it."),
        unusedKey("queryFiles", text, &P::queryFiles, KeyType::lines, "", "Query files",
                  "Read for older front ends (one file per line); no stage uses it."),
        {.name = "peakListFormat", .role = choice, .field = &P::peakListFormat, .type = KeyType::text,
         .programDefault = "pkl", .choices = peakListFormatChoices(), .choiceList = true,
         .frontEndDefault = "mgf", .group = kData, .label = "Peak-list format",
         .help = "pkl: one .pkl file per spectrum; mgf: one MGF file per run (per sample of a .wiff file) for "
                 "today's search engines; mzml: the same spectra as one indexed mzML file per run, with the "
                 "source's native ids, instrument and this processing; both: pkl,mgf; or a comma list of them. "
                 "The front ends default to mgf, which today's search engines read."},
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

const std::vector<KeyOrder>& keyOrders() {
    static const std::vector<KeyOrder> orders = {
        {"firstScan", "lastScan", "no scan lies between them"},
        {"lowParent", "highParent", "no precursor M+H lies between them"},
    };
    return orders;
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

bool isChoiceValue(const QueryKey& key, std::string_view value) {
    const auto isChoice = [&](std::string_view item) {
        return std::any_of(key.choices.begin(), key.choices.end(), [&](const KeyChoice& c) { return item == c.value; });
    };
    if (!key.choiceList) return isChoice(value);
    const std::vector<std::string_view> items = commaListItems(value);
    return std::all_of(items.begin(), items.end(), isChoice);
}

const QueryKey& keyOfRole(KeyRole role) {
    for (const QueryKey& key : queryKeys()) {
        if (key.role == role) return key;
    }
    throw std::logic_error("no query key has the role " + std::string(roleName(role)));
}

const QueryKey& keyOfField(const KeyField& field) {
    for (const QueryKey& key : queryKeys()) {
        if (key.field == field) return key;
    }
    throw std::logic_error("no query key sets this field");
}

bool setPerRun(const QueryKey& key) { return key.role == KeyRole::runData || key.role == KeyRole::folder; }

bool namesAFile(const QueryKey& key) { return key.role == KeyRole::fileName || key.role == KeyRole::logFileName; }

const char* programsName(KeyPrograms programs) {
    switch (programs) {
        case KeyPrograms::both: return "both";
        case KeyPrograms::yepharvest: return "yepharvest";
        case KeyPrograms::wiffharvest: return "wiffharvest";
    }
    return "";
}

const char* roleName(KeyRole role) {
    switch (role) {
        case KeyRole::number: return "number";
        case KeyRole::choice: return "choice";
        case KeyRole::cysteine: return "cysteine";
        case KeyRole::runData: return "run data";
        case KeyRole::folder: return "folder";
        case KeyRole::fileName: return "file name";
        case KeyRole::logFileName: return "log file name";
        case KeyRole::text: return "text";
    }
    return "";
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

std::string queryValueText(const QueryKey& key, const ExtractorParameters& parameters) {
    return std::visit(
        [&](auto member) -> std::string {
            const auto& field = parameters.*member;
            using Field = std::remove_cvref_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::int32_t>) {
                static constexpr const char* kUnits[] = {"Da", "ppm", "mmu", "%"};
                if (key.type == KeyType::unitsCode && field >= 0 && field < 4) return kUnits[field];
                return std::to_string(field);
            } else if constexpr (std::is_same_v<Field, double>) {
                char text[32];
                const std::to_chars_result end = std::to_chars(text, text + sizeof text, field);
                return std::string(text, end.ptr);
            } else if constexpr (std::is_same_v<Field, std::vector<std::string>>) {
                std::string lines;
                for (const std::string& line : field) lines += (lines.empty() ? "" : "\n") + line;
                return lines;
            } else if constexpr (std::is_same_v<Field, std::optional<std::string>>) {
                return field.value_or("");
            } else {
                return field;
            }
        },
        key.field);
}

std::vector<std::pair<std::string, std::string>> querySettings(const ExtractorParameters& parameters,
                                                               KeyPrograms program) {
    std::vector<std::pair<std::string, std::string>> settings;
    for (const QueryKey& key : queryKeys()) {
        // Where the files went is no setting of the processing: a run
        // written elsewhere states the same settings.
        const bool place = setPerRun(key) || namesAFile(key);
        if ((key.programs == KeyPrograms::both || key.programs == program) && !key.unused && !place) {
            settings.emplace_back(key.name, queryValueText(key, parameters));
        }
    }
    return settings;
}

ExtractorParameters readExtractorParameters(const std::vector<QueryEntry>& entries) {
    ExtractorParameters parameters;
    for (const QueryKey& key : queryKeys()) {
        if (key.programDefault != nullptr) applyQueryValue(key, parameters, key.programDefault);
    }
    for (const QueryEntry& entry : entries) {
        if (const QueryKey* key = findQueryKey(entry.name)) applyQueryValue(*key, parameters, entry.value);
    }
    const std::string charge = parameters.autoCharge.value_or("");
    parameters.chargeMode = charge == "Find"      ? ChargeMode::find
                            : charge == "Default" ? ChargeMode::singlyCharged
                                                  : ChargeMode::fixed;
    parameters.mode = parameters.xtractorMode == "Q-Tof Xtractor" ? XtractorMode::qtof
                      : parameters.xtractorMode == "Peak-Picker"  ? XtractorMode::peakPicker
                                                                  : XtractorMode::normal;
    return parameters;
}
