#include "tools/report/reject_log.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }


// A spectrum judged at several charges ("1+: ...; 2+: ...") counts under
// the test it came furthest in: the range, then the peak count, then the tag.
std::optional<RejectKind> furthestAtAnyCharge(std::string_view reason) {
    if (reason.size() < 4 || reason[0] < '1' || reason[0] > '9' || reason.substr(1, 3) != "+: ") return std::nullopt;
    const auto rank = [](RejectKind kind) {
        return kind == RejectKind::parentRange ? 0 : kind == RejectKind::tooFewPeaks ? 1 : kind == RejectKind::sequenceTag ? 2 : -1;
    };
    std::optional<RejectKind> furthest;
    for (std::size_t start = 0; start < reason.size();) {
        const std::size_t end = std::min(reason.find("; ", start), reason.size());
        const std::string_view part = reason.substr(start, end - start);
        const std::size_t colon = part.find("+: ");
        const RejectKind kind =
            colon == std::string_view::npos ? RejectKind::other : classifyRejectReason(part.substr(colon + 3));
        if (rank(kind) < 0) return RejectKind::other;
        if (!furthest || rank(kind) > rank(*furthest)) furthest = kind;
        start = end + 2;
    }
    return furthest;
}

}  // namespace

RejectKind classifyRejectReason(std::string_view reason) {
    if (const std::optional<RejectKind> furthest = furthestAtAnyCharge(reason)) return *furthest;
    if (startsWith(reason, "scan #: ")) return RejectKind::scanRange;
    if (startsWith(reason, "parent: ") && reason.find(" merged with scan ") != std::string_view::npos) {
        return RejectKind::merged;
    }
    if (reason.find(" outside range ") != std::string_view::npos) return RejectKind::parentRange;
    if (reason == "< 4 peaks after picking") return RejectKind::tooFewPeaks;
    if (startsWith(reason, "maxSequenceTagLength: ")) return RejectKind::sequenceTag;
    return RejectKind::other;
}

std::string describeRejectKind(RejectKind kind) {
    switch (kind) {
        case RejectKind::scanRange: return "outside the scan range";
        case RejectKind::merged: return "merged into an earlier spectrum";
        case RejectKind::parentRange: return "precursor M+H outside the parent range";
        case RejectKind::tooFewPeaks: return "fewer than 4 peaks after picking";
        case RejectKind::sequenceTag: return "sequence tag too short";
        case RejectKind::other: return "other reason";
    }
    return "other reason";
}

std::string rejectKey(RejectKind kind) {
    switch (kind) {
        case RejectKind::scanRange: return "scan-range";
        case RejectKind::merged: return "merged";
        case RejectKind::parentRange: return "parent-range";
        case RejectKind::tooFewPeaks: return "too-few-peaks";
        case RejectKind::sequenceTag: return "sequence-tag";
        case RejectKind::other: return "other";
    }
    return "other";
}

int RejectSelection::total() const { return std::accumulate(counts.begin(), counts.end(), 0); }

void RejectSelection::add(std::string_view reason) {
    const RejectKind kind = classifyRejectReason(reason);
    ++counts[static_cast<std::size_t>(kind)];
    if (kind == RejectKind::other) ++otherReasons[std::string(reason)];
    reasons.emplace_back(reason);
}

RejectSelection selectRejects(const LogFile& file, std::string_view run, RunProgram program) {
    RejectSelection selection;
    for (const LogLine& line : file.lines) {
        if (line.text.empty() || line.text == "spectrumName\tnumScansAfterParent\tRejectReason") continue;
        const std::vector<std::string_view> fields = splitFields(line.text);
        if (!matchRejectName(fields.front(), run, program)) continue;
        if (fields.size() != 3 || !parseWhole(fields[1])) {
            selection.malformedLines.push_back(line.number);
            continue;
        }
        selection.add(fields[2]);
    }
    return selection;
}

std::optional<std::vector<RejectSelection>> splitRejectsBySample(
    const RejectSelection& rejects, const std::vector<std::vector<std::pair<std::string, long>>>& samples) {
    const auto counter = [](const std::vector<std::pair<std::string, long>>& counters, std::string_view name) {
        for (const auto& [key, value] : counters) {
            if (key == name) return value;
        }
        return 0L;
    };
    std::vector<RejectSelection> parts;
    std::size_t next = 0;
    for (const auto& counters : samples) {
        const long own = counter(counters, "numMSMSscansCollected") - counter(counters, "numOutputFiles");
        if (own < 0 || static_cast<std::size_t>(own) > rejects.reasons.size() - next) return std::nullopt;
        RejectSelection& part = parts.emplace_back();
        for (std::size_t i = next; i < next + static_cast<std::size_t>(own); ++i) part.add(rejects.reasons[i]);
        next += static_cast<std::size_t>(own);
        if (part.count(RejectKind::merged) != counter(counters, "numMSMSmergedParentScans")) return std::nullopt;
    }
    if (next != rejects.reasons.size()) return std::nullopt;
    return parts;
}
