#include "core/extractor/parameter_ranges.h"

#include <cerrno>

#include "core/util/fatal_error.h"
#include "core/util/format_text.h"

const std::vector<ParameterRange>& parameterRanges() {
    // Integers saturate at the 32-bit ends while they are read and reals
    // may be infinite: the bounds keep every later sum and product of
    // these values inside its type.
    static const std::vector<ParameterRange> ranges = {
        {"lowCharge", 0, 9, false, "0 - 9", [](const ExtractorParameters& p) -> double { return p.lowCharge; }},
        {"highCharge", 0, 9, false, "0 - 9", [](const ExtractorParameters& p) -> double { return p.highCharge; }},
        {"maxCharge", 1, 9, false, "1 - 9", [](const ExtractorParameters& p) -> double { return p.maxCharge; }},
        {"minMSsignalNoise", 0, 1000000, false, "0 - 1000000",
         [](const ExtractorParameters& p) -> double { return p.minMSsignalNoise; }},
        {"groupScans", 0, 10000, false, "0 - 10000", [](const ExtractorParameters& p) -> double { return p.groupScans; }},
        {"firstScan", 0, 2147483647, false, "0 - 2147483647",
         [](const ExtractorParameters& p) -> double { return p.firstScan; }},
        {"lastScan", 0, 2147483647, false, "0 - 2147483647",
         [](const ExtractorParameters& p) -> double { return p.lastScan; }},
        {"lowParent", 0, 1e9, false, "0 - 1000000000", [](const ExtractorParameters& p) { return p.lowParent; }},
        {"highParent", 0, 1e9, false, "0 - 1000000000", [](const ExtractorParameters& p) { return p.highParent; }},
        {"parentTolerance", 0, 1000, true, "above 0 up to 1000",
         [](const ExtractorParameters& p) { return p.parentTolerance; }},
        {"maxSequenceTagLength", 0, 1000, false, "0 - 1000",
         [](const ExtractorParameters& p) -> double { return p.maxSequenceTagLength; }},
        {"findMonoisotopicParent", 0, 1, false, "0 - 1",
         [](const ExtractorParameters& p) -> double { return p.findMonoisotopicParent; }},
        {"chargeFromSurveyIsotopes", 0, 1, false, "0 - 1",
         [](const ExtractorParameters& p) -> double { return p.chargeFromSurveyIsotopes; }},
        {"minSignalNoiseRatio", 0, 1000000, false, "0 - 1000000",
         [](const ExtractorParameters& p) -> double { return p.minSignalNoiseRatio; }},
        {"peakLimitCount", 1, 1000000, false, "1 - 1000000",
         [](const ExtractorParameters& p) -> double { return p.peakLimitCount; }},
    };
    return ranges;
}

namespace {

const QueryEntry* lastEntryNamed(const std::vector<QueryEntry>& entries, const char* key) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->name == key) return &*entry;
    }
    return nullptr;
}

bool fits(const ParameterRange& range, double value) {
    // Written so that a value that is not a number never fits.
    const bool aboveLowest = range.lowestExcluded ? value > range.lowest : value >= range.lowest;
    return aboveLowest && value <= range.highest;
}

}  // namespace

std::optional<std::string> findRangeViolation(const std::vector<QueryEntry>& entries,
                                              const ExtractorParameters& parameters) {
    for (const ParameterRange& range : parameterRanges()) {
        const QueryEntry* entry = lastEntryNamed(entries, range.key);
        if (entry == nullptr || fits(range, range.value(parameters))) continue;
        return formatText("The value %s of the query key %s is outside its range %s.\n", entry->value.c_str(),
                          range.key, range.text);
    }
    return std::nullopt;
}

void checkParameterRanges(const std::vector<QueryEntry>& entries, const ExtractorParameters& parameters) {
    if (const std::optional<std::string> message = findRangeViolation(entries, parameters)) {
        // A conversion may have left ERANGE behind; it is not this error's cause.
        errno = 0;
        reportFatalError(*message);
    }
}
