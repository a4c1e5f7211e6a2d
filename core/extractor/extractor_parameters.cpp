#include "core/extractor/extractor_parameters.h"

#include "core/extractor/query_keys.h"

ExtractorParameters::ExtractorParameters() {
    for (const QueryKey& key : queryKeys()) {
        if (key.programDefault != nullptr) applyQueryValue(key, *this, key.programDefault);
    }
}

ExtractorParameters readExtractorParameters(const std::vector<QueryEntry>& entries) {
    ExtractorParameters parameters;
    for (const QueryEntry& entry : entries) {
        if (const QueryKey* key = findQueryKey(entry.name)) applyQueryValue(*key, parameters, entry.value);
    }
    return parameters;
}
