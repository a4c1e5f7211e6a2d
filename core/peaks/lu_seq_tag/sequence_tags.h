#pragma once
// Sequence tags: runs of fragment peaks whose spacings are residue masses,
// read as residue letters, such as [301.14]SLDE[915.42] (the neutral mass
// below the run, the letters from the low-mass end, the mass left above it).
#include <cstdint>
#include <string>
#include <vector>

#include "core/chemistry/amino_acids.h"
#include "core/peaks/kestrane_peak.h"

struct SequenceTagResult {
    std::string text;        // empty when no tag was found
    std::int32_t length = 0; // number of letters
    std::int32_t charge = 0; // fragment charge the tag was read at
};

// The longest tag of a picked fragment list: charge 1 always, charge 2 too
// when the parent's charge is above 2; the first tag closed wins among equally
// long ones. The list is left in ascending m/z. More than the hard limit of
// closed tags ends the process.
SequenceTagResult findLongestSequenceTag(PeakList& list, const KestranePeak& parent, const ChemistryTables& chemistry);

// The exhaustive depth-first search behind findLongestSequenceTag, over a
// list in descending m/z. Only the facts the result needs are kept: how many
// tags were closed, the letters of the last one (a path that is a prefix of
// it is not a tag of its own) and the first longest one.
class SequenceTagSearch {
public:
    SequenceTagSearch(const PeakList& peaksByDescendingMz, const ChemistryTables& chemistry);

    // One pass at one fragment charge; clears the visited marks first.
    void findSequenceTagsFrom(std::int32_t charge);
    // Extends the current path from peak `start` by every residue step.
    void extendSequenceTag(std::size_t start, std::int32_t charge);

    const std::string& bestLetters() const { return bestLetters_; }  // in path order, high m/z first
    std::size_t bestFirstPeak() const { return bestFirstPeak_; }
    std::size_t bestLastPeak() const { return bestLastPeak_; }
    std::int32_t bestCharge() const { return bestCharge_; }

private:
    void closeOrDiscardPath(std::int32_t charge);
    void stopAtTagLimit() const;

    const PeakList& peaks_;
    const ChemistryTables& chemistry_;
    std::vector<char> visited_;
    std::string pathLetters_;
    std::vector<std::size_t> pathPeaks_;
    std::int64_t closedTags_ = 0;
    std::string lastClosedLetters_;
    std::string bestLetters_;
    std::size_t bestFirstPeak_ = 0;
    std::size_t bestLastPeak_ = 0;
    std::int32_t bestCharge_ = 0;
};

// The number of closed tags at which the search gives up.
inline constexpr std::int64_t kSequenceTagLimit = 100000;
