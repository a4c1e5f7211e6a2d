#pragma once
// xtractorRejectReasons.txt: "<name>\t<number>\t<reason>", one row per
// spectrum that was dropped, for whatever reason.
#include <array>
#include <map>
#include <optional>
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
    std::vector<std::string> reasons;  // of the readable rows, in file order

    int count(RejectKind kind) const { return counts[static_cast<std::size_t>(kind)]; }
    int total() const;
    void add(std::string_view reason);
};

RejectSelection selectRejects(const LogFile& file, std::string_view run, RunProgram program);

// wiffharvest's reject rows do not name the sample. Its samples are read one
// after the other, and each spectrum of a sample that is not written leaves
// exactly one row when the whole scan range is taken, so a sample's rows are
// the next (collected - written) rows; its merge rows must then number what
// its statistics say. Nothing when the rows do not add up that way (a scan
// range also rejects survey scans). `samples` gives each sample's counters
// in the order they were read.
std::optional<std::vector<RejectSelection>> splitRejectsBySample(
    const RejectSelection& rejects, const std::vector<std::vector<std::pair<std::string, long>>>& samples);
