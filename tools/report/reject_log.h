#pragma once
// xtractorRejectReasons.txt: "<name>\t<number>\t<reason>", one row per
// spectrum that was dropped, for whatever reason.
#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/report/log_lines.h"
#include "tools/report/run_names.h"

enum class RejectKind { scanRange, merged, parentRange, tooFewPeaks, sequenceTag, other };
inline constexpr std::size_t rejectKindCount = 6;

RejectKind classifyRejectReason(std::string_view reason);
// The reader's label for a kind, and a short name for element ids.
std::string describeRejectKind(RejectKind kind);
std::string rejectKey(RejectKind kind);

struct RejectSelection {
    std::array<int, rejectKindCount> counts{};
    std::map<std::string, int> otherReasons;  // texts of the rows of kind other
    std::vector<int> malformedLines;

    int count(RejectKind kind) const { return counts[static_cast<std::size_t>(kind)]; }
    int total() const;
};

RejectSelection selectRejects(const LogFile& file, std::string_view run, RunProgram program);
