#include "web/launcher/scan_choice.h"

#include <algorithm>

#include "core/extractor/query_keys.h"

namespace {

const QueryKey& firstScanKey() { return keyOfField(&ExtractorParameters::firstScan); }
const QueryKey& lastScanKey() { return keyOfField(&ExtractorParameters::lastScan); }

}  // namespace

std::variant<std::string, std::vector<QueryEntry>> withScanChoice(const std::vector<QueryEntry>& given) {
    const std::optional<std::string> choice = lastQueryValue(given, scanChoiceName);
    std::vector<QueryEntry> entries = given;
    std::erase_if(entries, [](const QueryEntry& entry) { return entry.name == scanChoiceName; });
    if (!choice || *choice == scanWindowChoice) return entries;
    if (*choice != wholeRunChoice) {
        return std::string(scanChoiceName) + " \"" + *choice + "\": not one of " + wholeRunChoice + ", " +
               scanWindowChoice + ".";
    }
    std::erase_if(entries, [](const QueryEntry& entry) {
        return entry.name == firstScanKey().name || entry.name == lastScanKey().name;
    });
    entries.push_back({firstScanKey().name, frontEndValue(firstScanKey())});
    entries.push_back({lastScanKey().name, frontEndValue(lastScanKey())});
    return entries;
}

bool isWholeRun(const std::string& firstScan, const std::string& lastScan) {
    return firstScan == frontEndValue(firstScanKey()) && lastScan == frontEndValue(lastScanKey());
}
