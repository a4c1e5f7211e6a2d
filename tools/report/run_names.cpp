#include "tools/report/run_names.h"

#include <charconv>
#include <vector>

namespace {

struct NumberGroup {
    std::string_view digits;
    long value = 0;
};

// "0012.0015.2.pkl" -> groups 0012, 0015, 2 and the .pkl ending; nothing
// when a group is not all digits.
struct NameTail {
    std::vector<NumberGroup> groups;
    bool peakList = false;
};

std::optional<NameTail> splitTail(std::string_view tail) {
    NameTail result;
    constexpr std::string_view ending = ".pkl";
    if (tail.size() > ending.size() && tail.substr(tail.size() - ending.size()) == ending) {
        result.peakList = true;
        tail.remove_suffix(ending.size());
    }
    while (true) {
        const std::size_t point = tail.find('.');
        const std::string_view digits = tail.substr(0, point);
        if (digits.empty() || digits.size() > 9) return std::nullopt;
        NumberGroup group{digits, 0};
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), group.value);
        if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
        result.groups.push_back(group);
        if (point == std::string_view::npos) return result;
        tail.remove_prefix(point + 1);
    }
}

// Scan numbers and scan times are printed with at least four digits.
bool padded(const NumberGroup& group) { return group.digits.size() >= 4; }

bool peakListShape(const NameTail& tail) {
    return tail.peakList && tail.groups.size() == 3 && padded(tail.groups[0]) && padded(tail.groups[1]);
}

std::optional<std::string_view> tailAfterRun(std::string_view name, std::string_view run) {
    if (run.empty() || name.size() <= run.size() + 1 || name.substr(0, run.size()) != run || name[run.size()] != '.') {
        return std::nullopt;
    }
    return name.substr(run.size() + 1);
}

}  // namespace

std::optional<PeakListName> matchPeakListName(std::string_view name, std::string_view run, RunProgram program,
                                              bool allowSampleSuffix) {
    if (run.empty() || name.size() <= run.size() || name.substr(0, run.size()) != run) return std::nullopt;
    int sample = 1;
    std::string_view rest = name.substr(run.size());
    if (rest.front() == '_') {
        // wiffharvest adds the sample index only from the second sample on.
        if (program != RunProgram::wiffharvest || !allowSampleSuffix) return std::nullopt;
        const std::size_t point = rest.find('.');
        if (point == std::string_view::npos) return std::nullopt;
        const std::string_view digits = rest.substr(1, point - 1);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), sample);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || sample < 2) {
            return std::nullopt;
        }
        rest.remove_prefix(point);
    }
    if (rest.size() < 2 || rest.front() != '.') return std::nullopt;
    const std::optional<NameTail> tail = splitTail(rest.substr(1));
    if (!tail || !peakListShape(*tail)) return std::nullopt;
    return PeakListName{sample, tail->groups[0].value, tail->groups[1].value,
                        static_cast<int>(tail->groups[2].value)};
}

bool matchRejectName(std::string_view name, std::string_view run, RunProgram program) {
    const std::optional<std::string_view> rest = tailAfterRun(name, run);
    if (!rest) return false;
    const std::optional<NameTail> tail = splitTail(*rest);
    if (!tail) return false;
    if (tail->peakList) return peakListShape(*tail);
    if (program == RunProgram::yepharvest) return tail->groups.size() == 1;
    return (tail->groups.size() == 1 && padded(tail->groups[0])) ||
           (tail->groups.size() == 2 && padded(tail->groups[0]) && padded(tail->groups[1]));
}

bool matchChargeKey(std::string_view key, std::string_view run, RunProgram program) {
    const std::optional<std::string_view> rest = tailAfterRun(key, run);
    if (!rest) return false;
    const std::optional<NameTail> tail = splitTail(*rest);
    if (!tail || tail->peakList) return false;
    const std::size_t groups = program == RunProgram::yepharvest ? 1 : 2;
    if (tail->groups.size() != groups) return false;
    for (const NumberGroup& group : tail->groups) {
        if (!padded(group)) return false;
    }
    return true;
}

std::string_view runNameOfDataPath(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator != std::string_view::npos) path.remove_prefix(separator + 1);
    const std::size_t point = path.rfind('.');
    return point == std::string_view::npos ? path : path.substr(0, point);
}
