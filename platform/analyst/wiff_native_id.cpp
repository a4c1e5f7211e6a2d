#include "platform/analyst/wiff_native_id.h"

#include <array>
#include <charconv>
#include <string>
#include <utility>

namespace {

std::int32_t positiveNumber(std::string_view key, std::string_view value) {
    std::int32_t number = 0;
    const char* end = value.data() + value.size();
    const bool digitsOnly = !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (!digitsOnly || error != std::errc() || stop != end || number < 1) {
        throw BadNativeId(std::string(key) + "=" + std::string(value) + " is not a positive whole number");
    }
    return number;
}

}  // namespace

WiffNativeId parseWiffNativeId(std::string_view id) {
    WiffNativeId keys;
    const std::array<std::pair<std::string_view, std::optional<std::int32_t>*>, 4> slots = {
        {{"sample", &keys.sample}, {"period", &keys.period}, {"cycle", &keys.cycle}, {"experiment", &keys.experiment}}};
    std::size_t start = 0;
    while (start < id.size()) {
        std::size_t end = id.find(' ', start);
        if (end == std::string_view::npos) end = id.size();
        const std::string_view word = id.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = word.substr(0, equals);
        for (const auto& [name, slot] : slots) {
            if (key != name) continue;
            if (slot->has_value()) throw BadNativeId(std::string(name) + " is given twice");
            *slot = positiveNumber(key, word.substr(equals + 1));
            if ((name == "period" || name == "experiment") && **slot > kMostPeriodsOrExperiments) {
                throw BadNativeId(std::string(word) + " lies beyond the " + std::to_string(kMostPeriodsOrExperiments) +
                                  " " + std::string(name) + "s an acquisition method can hold");
            }
        }
    }
    return keys;
}
