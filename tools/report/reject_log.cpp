#include "tools/report/reject_log.h"

#include <numeric>

namespace {

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

}  // namespace

RejectKind classifyRejectReason(std::string_view reason) {
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
        const RejectKind kind = classifyRejectReason(fields[2]);
        ++selection.counts[static_cast<std::size_t>(kind)];
        if (kind == RejectKind::other) ++selection.otherReasons[std::string(fields[2])];
    }
    return selection;
}
