#pragma once
// What the stages of both programs ask of the survey (MS) scans of a scan
// table: records in acquisition order, record i holding scan number i + 1,
// survey scans with MS level 1 and their peaks in ascending m/z.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "core/peaks/peak_window.h"

// Greatest index <= `index` whose record is an MS scan; the record itself
// counts. Nothing when no MS scan precedes.
template <class Record>
std::optional<std::int32_t> preceedingMSscan(const std::vector<Record>& records, std::int32_t index) {
    const std::int32_t last = static_cast<std::int32_t>(records.size()) - 1;
    for (std::int32_t i = std::min(index, last); i >= 0; --i) {
        if (records[static_cast<std::size_t>(i)].msLevel == 1) return i;
    }
    return std::nullopt;
}

// Prints the error line of a missing survey scan on the HTML stream and ends the process
// with status 1.
[[noreturn]] void noPreceedingMSscan();

// The same search where a missing MS scan ends the process.
template <class Record>
std::int32_t findIndexOfPreceedingMSscan(const std::vector<Record>& records, std::int32_t index) {
    if (const std::optional<std::int32_t> found = preceedingMSscan(records, index)) return *found;
    noPreceedingMSscan();
}

// Intensity within mz +/- tolerance summed over the live MS scans whose scan
// numbers lie within `window` of `scanNumber` (bounds inclusive); 0 for a
// window below 1.
template <class Record>
double precursorIntensityInMSscans(const std::vector<Record>& records, double mz, std::int32_t scanNumber,
                                   std::int32_t window, double tolerance) {
    if (window <= 0) return 0.0;
    // Record i holds scan number i + 1, so the window starts at its index
    // instead of at the start of the run.
    const std::int64_t firstIndex = std::max<std::int64_t>(0, std::int64_t{scanNumber} - window - 1);
    const std::int64_t lastIndex =
        std::min<std::int64_t>(static_cast<std::int64_t>(records.size()) - 1, std::int64_t{scanNumber} + window - 1);
    double sum = 0.0;
    for (std::int64_t i = firstIndex; i <= lastIndex; ++i) {
        const Record& scan = records[static_cast<std::size_t>(i)];
        if (scan.msLevel != 1 || scan.rejected) continue;
        const std::int64_t number = scan.scanNumber;
        if (number < std::int64_t{scanNumber} - window || number > std::int64_t{scanNumber} + window) continue;
        sum += intensityInWindow(scan.peaks, mz - tolerance, mz + tolerance);
    }
    return sum;
}

// The survey scans that records not yet finished may still read: each one's
// preceding survey scan (a survey scan's own self) and those within `reach`
// records of it. The stages that run over a table in blocks let the peaks
// of the others go.
class SurveyScansInReach {
public:
    explicit SurveyScansInReach(std::int32_t reach) : reach_(std::max(reach, 0)) {}

    // Record `index` is a survey scan; surveys are added in index order.
    void add(std::int32_t index) { held_.push_back(index); }

    // Every stage is done with the records before `finished`: calls
    // `release(index)` once for each survey scan that no later record reads.
    template <class Release>
    void releaseUnreachable(std::int32_t finished, Release release) {
        // A later survey scan at or before `finished` precedes every record
        // left; the reach counts from the records left.
        while (held_.size() >= 2 && std::int64_t{held_[0]} + reach_ < finished && held_[1] <= finished) {
            release(held_.front());
            held_.pop_front();
        }
    }

private:
    std::int64_t reach_;
    std::deque<std::int32_t> held_;
};
