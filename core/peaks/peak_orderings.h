#pragma once
// The four orders in which peak lists are sorted. Every order has a second
// key so that peaks that tie on the first one always come out the same way,
// whatever the sort algorithm: equal m/z puts the more intense peak first
// (descending m/z is the exact reverse), equal intensity or equal mPlusH puts
// the lower m/z first.
#include "core/peaks/kestrane_peak.h"

// Inline: every sort of every spectrum calls them, and the sorts must be
// able to inline them.
inline bool precedesByMOverZAscending(const KestranePeak& a, const KestranePeak& b) {
    if (a.mOverZ != b.mOverZ) return a.mOverZ < b.mOverZ;
    return a.intensity > b.intensity;
}

inline bool precedesByMOverZDescending(const KestranePeak& a, const KestranePeak& b) {
    return precedesByMOverZAscending(b, a);
}

inline bool precedesByIntensityDescending(const KestranePeak& a, const KestranePeak& b) {
    if (a.intensity != b.intensity) return a.intensity > b.intensity;
    return a.mOverZ < b.mOverZ;
}

inline bool precedesByMPlusHAscending(const KestranePeak& a, const KestranePeak& b) {
    if (a.mPlusH != b.mPlusH) return a.mPlusH < b.mPlusH;
    return a.mOverZ < b.mOverZ;
}

// Each returns at once when the list is already in the order; the two m/z
// orders reverse a list that is in the opposite one.
void sortByMOverZAscending(PeakList& list);
void sortByMOverZDescending(PeakList& list);
void sortByMPlusHAscending(PeakList& list);
