#include "core/extractor/parameter_ranges.h"

#include <cerrno>

#include "core/extractor/query_keys.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"

namespace {

const QueryEntry* lastEntryNamed(const std::vector<QueryEntry>& entries, const char* key) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->name == key) return &*entry;
    }
    return nullptr;
}

// The value as the query gives it, else the programs' default.
std::string valueText(const std::vector<QueryEntry>& entries, const QueryKey& key) {
    if (const QueryEntry* entry = lastEntryNamed(entries, key.name)) return entry->value;
    return key.programDefault != nullptr ? key.programDefault : "";
}

}  // namespace

std::optional<std::string> findRangeViolation(const std::vector<QueryEntry>& entries,
                                              const ExtractorParameters& parameters) {
    for (const QueryKey& key : queryKeys()) {
        if (!key.range) continue;
        const QueryEntry* entry = lastEntryNamed(entries, key.name);
        if (entry == nullptr || key.range->fits(numericValue(key, parameters))) continue;
        return formatText("The value %s of the query key %s is outside its range %s.\n", entry->value.c_str(),
                          key.name, key.range->text().c_str());
    }
    return std::nullopt;
}

std::optional<std::string> findOrderViolation(const std::vector<QueryEntry>& entries,
                                              const ExtractorParameters& parameters) {
    for (const KeyOrder& order : keyOrders()) {
        const QueryKey* lower = findQueryKey(order.lower);
        const QueryKey* upper = findQueryKey(order.upper);
        if (lower == nullptr || upper == nullptr) continue;
        if (!(numericValue(*lower, parameters) > numericValue(*upper, parameters))) continue;
        return formatText("The value %s of the query key %s is above the value %s of the query key %s: %s.\n",
                          valueText(entries, *lower).c_str(), lower->name, valueText(entries, *upper).c_str(),
                          upper->name, order.emptyWindow);
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
