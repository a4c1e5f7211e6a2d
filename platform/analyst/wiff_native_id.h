#pragma once
// The keys of a WIFF native spectrum id, "sample=1 period=1 cycle=96
// experiment=2": space-separated key=value pairs, 1-based numbers.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

struct WiffNativeId {
    std::optional<std::int32_t> sample;
    std::optional<std::int32_t> period;
    std::optional<std::int32_t> cycle;
    std::optional<std::int32_t> experiment;
};

// An id whose sample, period, cycle or experiment is not a positive decimal
// 32-bit integer, or is given twice; or whose period or experiment lies
// beyond kMostPeriodsOrExperiments. Cycles count a whole run; periods and
// experiments are the few parts of an acquisition method, and every cycle is
// walked over each of them.
class BadNativeId : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::int32_t kMostPeriodsOrExperiments = 10000;

// Other keys, and words without "=", are left alone.
WiffNativeId parseWiffNativeId(std::string_view id);
