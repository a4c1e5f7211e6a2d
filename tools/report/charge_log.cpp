#include "tools/report/charge_log.h"

#include <optional>

namespace {

struct Marker {
    std::string_view text;
    std::string label;  // empty: the label is built from the charge after the text
};

// Every marker that ends a decision, for both programs.
const std::vector<Marker>& decisionMarkers() {
    static const std::vector<Marker> markers = {
        {"assigned z = ", ""},
        {"charge: ", ""},
        {"b/y pair conflict z not assigned", "not assigned: b/y pair conflict"},
        {"b/y pair, z2 in MS scan conflict z not assigned", "not assigned: b/y pairs vs z = 2 in survey"},
        {"b/y pair, z4 in MS scan conflict z not assigned", "not assigned: b/y pairs vs z = 4 in survey"},
        {"charge 1 isotope spacing assignment reversed", "z = 1 withdrawn: fragments above parent"},
    };
    return markers;
}

// wiffharvest writes "numActualPeriods: %d\n" into this log without a leading
// line feed, so it may sit alone on a line or end the previous row.
std::string_view withoutPeriodCount(std::string_view text) {
    const std::size_t at = text.find("numActualPeriods: ");
    return at == std::string_view::npos ? text : text.substr(0, at);
}

}  // namespace

std::string chargeDecision(std::string_view text) {
    std::optional<std::size_t> lastAt;
    std::string label;
    for (const Marker& marker : decisionMarkers()) {
        for (std::size_t at = text.find(marker.text); at != std::string_view::npos;
             at = text.find(marker.text, at + 1)) {
            const std::size_t after = at + marker.text.size();
            std::string found = marker.label;
            if (found.empty()) {
                // "assigned z = 3" (yepharvest), "charge: 2 assigned from delta m/z" (wiffharvest)
                if (after >= text.size() || text[after] < '0' || text[after] > '9') continue;
                if (marker.text == "charge: " && text.substr(after + 1, 10) != " assigned ") continue;
                found = std::string(marker.text == "charge: " ? "assigned from isotope spacing z = " : "assigned z = ") +
                        text[after];
            }
            if (!lastAt || at > *lastAt) {
                lastAt = at;
                label = found;
            }
        }
    }
    return lastAt ? label : "no decision logged";
}

ChargeSelection selectChargeDecisions(const LogFile& file, std::string_view run, RunProgram program) {
    ChargeSelection selection;
    std::vector<std::string> order;
    std::map<std::string, std::string> texts;
    for (const LogLine& line : file.lines) {
        const std::string_view text = withoutPeriodCount(line.text);
        if (text.empty() || text == "scanNumber\tChargeAssignment") continue;
        const std::size_t tab = text.find('\t');
        const std::string_view key = text.substr(0, tab);
        if (!matchChargeKey(key, run, program)) continue;
        if (tab == std::string_view::npos || tab + 1 == text.size()) {
            selection.malformedLines.push_back(line.number);
            continue;
        }
        auto [entry, inserted] = texts.try_emplace(std::string(key));
        if (inserted) order.push_back(entry->first);
        entry->second += text.substr(tab);
    }
    for (const std::string& key : order) {
        const std::string& text = texts[key];
        ++selection.decisions[chargeDecision(text)];
        if (text.find("MS peak") != std::string::npos) ++selection.withSurveyEvidence;
        if (text.find("b/y pairs found") != std::string::npos) ++selection.withPairCounts;
    }
    selection.spectra = static_cast<int>(order.size());
    return selection;
}
