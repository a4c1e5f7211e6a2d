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
constexpr std::string_view periodCount = "numActualPeriods: ";

// One piece's spectra: their keys in order and each one's text.
struct Piece {
    std::vector<std::string> order;
    std::map<std::string, std::string> texts;
    std::vector<int> malformedLines;
};

ChargeSelection tally(const Piece& piece) {
    ChargeSelection selection;
    for (const std::string& key : piece.order) {
        const std::string& text = piece.texts.at(key);
        ++selection.decisions[chargeDecision(text)];
        if (text.find("MS peak") != std::string::npos) ++selection.withSurveyEvidence;
        if (text.find("b/y pairs found") != std::string::npos) ++selection.withPairCounts;
    }
    selection.spectra = static_cast<int>(piece.order.size());
    selection.malformedLines = piece.malformedLines;
    return selection;
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

std::vector<ChargeSelection> selectChargeDecisionsBySample(const LogFile& file, std::string_view run,
                                                           RunProgram program) {
    std::vector<Piece> pieces(1);
    for (const LogLine& line : file.lines) {
        std::string_view text = line.text;
        const std::size_t marker = text.find(periodCount);
        if (marker != std::string_view::npos) text = text.substr(0, marker);
        if (!text.empty() && text != "scanNumber\tChargeAssignment") {
            const std::size_t tab = text.find('\t');
            const std::string_view key = text.substr(0, tab);
            if (matchChargeKey(key, run, program)) {
                Piece& piece = pieces.back();
                if (tab == std::string_view::npos || tab + 1 == text.size()) {
                    piece.malformedLines.push_back(line.number);
                } else {
                    auto [entry, inserted] = piece.texts.try_emplace(std::string(key));
                    if (inserted) piece.order.push_back(entry->first);
                    entry->second += text.substr(tab);
                }
            }
        }
        if (marker != std::string_view::npos && (!pieces.back().order.empty() || !pieces.back().malformedLines.empty())) {
            pieces.emplace_back();
        }
    }
    std::vector<ChargeSelection> selections;
    for (const Piece& piece : pieces) {
        if (!piece.order.empty() || !piece.malformedLines.empty()) selections.push_back(tally(piece));
    }
    return selections;
}

ChargeSelection selectChargeDecisions(const LogFile& file, std::string_view run, RunProgram program) {
    ChargeSelection all;
    for (const ChargeSelection& piece : selectChargeDecisionsBySample(file, run, program)) {
        for (const auto& [label, number] : piece.decisions) all.decisions[label] += number;
        all.spectra += piece.spectra;
        all.withSurveyEvidence += piece.withSurveyEvidence;
        all.withPairCounts += piece.withPairCounts;
        all.malformedLines.insert(all.malformedLines.end(), piece.malformedLines.begin(), piece.malformedLines.end());
    }
    return all;
}
