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
    const std::string charge = parameters.autoCharge.value_or("");
    parameters.chargeMode = charge == "Find"      ? ChargeMode::find
                            : charge == "Default" ? ChargeMode::singlyCharged
                                                  : ChargeMode::fixed;
    parameters.mode = parameters.xtractorMode == "Q-Tof Xtractor" ? XtractorMode::qtof
                      : parameters.xtractorMode == "Peak-Picker"  ? XtractorMode::peakPicker
                                                                  : XtractorMode::normal;
    return parameters;
}
