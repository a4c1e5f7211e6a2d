#pragma once
// Every setting of an extraction run, taken from the CGI query. Read once at
// start-up into the extraction context, read-only afterwards. Each field is
// one query key of the same name; the key table (query_keys.h) gives its
// default, range and meaning, and reads a query into these
// (readExtractorParameters), so that the table depends on this and not the
// other way round.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How precursors get their charge, from autoCharge: "Find", "Default", and
// anything else (or nothing) for the fixed charge lowCharge = highCharge.
enum class ChargeMode { fixed, find, singlyCharged };
// What a run writes besides its peak lists, from xtractorMode: "Q-Tof
// Xtractor" the shorter features columns, "Peak-Picker" the results page.
enum class XtractorMode { normal, qtof, peakPicker };

struct ExtractorParameters {
    std::int32_t lowCharge = 0;
    std::int32_t highCharge = 0;
    std::optional<std::string> autoCharge;  // absent unless the query gives it
    std::string instrument_name;
    std::string xtractorMode;
    std::int32_t maxCharge = 0;
    std::int32_t groupScans = 0;
    std::int32_t firstScan = 0;
    std::int32_t lastScan = 0;
    double lowParent = 0.0;
    double highParent = 0.0;
    double parentTolerance = 0.0;
    double fragmentTolerance = 0.0;
    double minMatchedPercent = 0.0;
    double parent_shift = 0.0;
    std::int32_t tolerance_units = 0;
    std::string xtractorDataFilename;
    std::string output_filename;
    std::string resultsXtractorDir;
    std::string logFileDir;
    std::string queryDir;
    std::string libraryDir;
    std::string search_type;
    std::string parent_shift_type;
    std::string specFeaturesFilename;
    std::string cys;
    std::vector<std::string> libraryFiles;
    std::vector<std::string> queryFiles;
    std::int32_t noOutputSpectra = 0;
    std::int32_t maxSequenceTagLength = 0;
    std::int32_t peakLimitCount = 0;
    std::int32_t findMonoisotopicParent = 0;
    std::int32_t findAverageParent = 0;
    std::int32_t minMSsignalNoise = 0;
    std::int32_t minSignalNoiseRatio = 0;
    // Beyond the original keys: "pkl" (the .pkl files), "mgf" (one MGF file
    // per run or sample instead) or "both".
    std::string peakListFormat;
    // yepharvest: precursors without a charge, or singly charged by their
    // fragments, take the charge of their resolved survey-scan envelope.
    std::int32_t chargeFromSurveyIsotopes = 0;
    // 1: a spectrum whose MGF block states no charge is judged by the
    // filters at every charge a search engine will try for it.
    std::int32_t filterOpenCharges = 0;

    // autoCharge and xtractorMode read once; the stages compare these.
    ChargeMode chargeMode = ChargeMode::fixed;
    XtractorMode mode = XtractorMode::normal;
};
