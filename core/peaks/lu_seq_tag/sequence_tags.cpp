#include "core/peaks/lu_seq_tag/sequence_tags.h"

#include <algorithm>
#include <cctype>

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/ion_masses.h"
#include "core/peaks/lu_seq_tag/tag_masses.h"
#include "core/peaks/peak_orderings.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"

namespace {
constexpr int kSmallestStep = 50;
constexpr int kLargestStep = 200;
}  // namespace

SequenceTagSearch::SequenceTagSearch(const PeakList& peaksByDescendingMz, const ChemistryTables& chemistry)
    : peaks_(peaksByDescendingMz), chemistry_(chemistry), visited_(peaksByDescendingMz.size(), 0) {}

void SequenceTagSearch::stopAtTagLimit() const {
    if (closedTags_ >= kSequenceTagLimit) {
        reportFatalError(formatText("More than %d tags found, change hard-coded maximum in lu_seq_tag.\n",
                                    static_cast<int>(kSequenceTagLimit)));
    }
}

void SequenceTagSearch::findSequenceTagsFrom(std::int32_t charge) {
    std::fill(visited_.begin(), visited_.end(), 0);
    for (std::size_t i = 0; i < peaks_.size(); ++i) {
        if (visited_[i] != 0) continue;
        extendSequenceTag(i, charge);
        stopAtTagLimit();
    }
}

void SequenceTagSearch::extendSequenceTag(std::size_t start, std::int32_t charge) {
    const double startMz = peaks_[start].mOverZ;
    for (std::size_t i = start + 1; i < peaks_.size(); ++i) {
        const int step = static_cast<int>((startMz - peaks_[i].mOverZ) * charge + 0.5);
        if (step > kLargestStep) break;  // later peaks lie further away
        if (step < kSmallestStep) continue;
        const char letter = residueLetterForNominalMass(chemistry_, step);
        if (std::isalpha(static_cast<unsigned char>(letter)) == 0) continue;

        visited_[i] = 1;
        pathPeaks_.push_back(i);
        pathLetters_.push_back(letter);

        extendSequenceTag(i, charge);
        stopAtTagLimit();
        closeOrDiscardPath(charge);

        pathPeaks_.pop_back();
        pathLetters_.pop_back();
    }
}

void SequenceTagSearch::closeOrDiscardPath(std::int32_t charge) {
    // On the way back from a maximal path every shorter prefix of it is met
    // again; those are not tags of their own.
    if (closedTags_ != 0 && pathLetters_.size() < lastClosedLetters_.size() &&
        lastClosedLetters_.compare(0, pathLetters_.size(), pathLetters_) == 0) {
        return;
    }
    ++closedTags_;
    lastClosedLetters_ = pathLetters_;
    if (pathLetters_.size() > bestLetters_.size()) {
        bestLetters_ = pathLetters_;
        bestFirstPeak_ = pathPeaks_.front();
        bestLastPeak_ = pathPeaks_.back();
        bestCharge_ = charge;
    }
}

SequenceTagResult findLongestSequenceTag(PeakList& list, const KestranePeak& parent, const ChemistryTables& chemistry) {
    sortByMOverZDescending(list);
    SequenceTagSearch search(list, chemistry);
    search.findSequenceTagsFrom(1);
    if (parent.charge > 2) search.findSequenceTagsFrom(2);

    SequenceTagResult result;
    result.length = static_cast<std::int32_t>(search.bestLetters().size());
    result.charge = search.bestCharge();
    if (result.length > 0) {
        const double carrier = chemistry.groups.chargeCarrier;
        const double below =
            mPlusHFromMOverZ(list[search.bestLastPeak()].mOverZ, result.charge, carrier) - carrier;
        const double above =
            parent.mPlusH - carrier - mPlusHFromMOverZ(list[search.bestFirstPeak()].mOverZ, result.charge, carrier);
        const std::string& letters = search.bestLetters();
        result.text = formatText("[%0.2f]", below);
        result.text.append(letters.rbegin(), letters.rend());
        result.text += formatText("[%0.2f]", above);
    }
    sortByMOverZAscending(list);
    return result;
}
