#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "core/chemistry/ion_masses.h"
#include "core/peaks/lu_seq_tag/sequence_tags.h"
#include "core/peaks/lu_seq_tag/tag_masses.h"
#include "core/peaks/parent_peak.h"
#include "peak_test_support.h"
#include "tests/support/child_process.h"

namespace {

using SequenceTagTest = PeakTest;

TEST_F(SequenceTagTest, ProtonatedMassFollowsTheChargeSign) {
    struct Case {
        std::int32_t z;
        double mPlusH;
    };
    for (const Case& c : std::vector<Case>{{1, 500.0}, {0, 502.0}, {3, 1496.0}, {-2, 1006.0}}) {
        EXPECT_EQ(mPlusHFromMOverZ(500.0, c.z, 2.0), c.mPlusH) << "z " << c.z;
    }
}

TEST_F(SequenceTagTest, ExtremeChargesConvertWithoutOverflow) {
    constexpr std::int32_t lowest = INT32_MIN;
    EXPECT_EQ(mPlusHFromMOverZ(500.0, lowest, 2.0), 1078036791298.0);
    EXPECT_EQ(singlyChargedMass(500.0, lowest, 2.0), -1069446856702.0);
    EXPECT_EQ(nominalSinglyChargedMass(500.0, lowest), -1071594340351.0);
}

TEST_F(SequenceTagTest, NominalMassesReadAsLettersWithIsoleucineAsLAndLysineAsQ) {
    const std::vector<std::pair<int, char>> cases = {{57, 'G'}, {113, 'L'}, {128, 'Q'}, {0, 0}, {200, 0}, {-5, 0}};
    for (const auto& [mass, letter] : cases) EXPECT_EQ(residueLetterForNominalMass(chemistry(), mass), letter) << mass;
}

TEST_F(SequenceTagTest, TagTextGivesTheGapsAroundTheLettersFromTheLowEnd) {
    // Steps 57.03 (G) and 71.04 (A) from the top; 500 - 371.93 = 128.07 (Q)
    // is a shorter tag closed later. Below: 371.93 - m(H) = 370.92. Above:
    // 1000 - m(H) - 442.97 = 556.02 (the peak reached by the first step).
    PeakList list = peaks({{371.93, 10.0}, {442.97, 10.0}, {500.0, 10.0}});
    const SequenceTagResult tag = findLongestSequenceTag(list, makeParentKestranePeak(1000.0, 1, 0.5, chemistry().groups), chemistry());
    EXPECT_EQ(tag.text, "[370.92]AG[556.02]");
    EXPECT_EQ(tag.length, 2);
    EXPECT_EQ(tag.charge, 1);
    EXPECT_EQ(list.front().mOverZ, 371.93);
}

TEST_F(SequenceTagTest, TriplyChargedParentAlsoReadsDoublyChargedLadders) {
    // Half-spacings 28.51, 35.52, 43.50 read at charge 2 as G, A, S. Below:
    // 2 * 492.47 - 2 m(H) = 982.92; above: (2100 - 2 m(H)) - m(H) -
    // (2 * 571.49 - m(H)) = 955.00.
    PeakList list = peaks({{492.47, 1.0}, {535.97, 1.0}, {571.49, 1.0}, {600.0, 1.0}});
    const SequenceTagResult tag = findLongestSequenceTag(list, makeParentKestranePeak(700.0, 3, 0.5, chemistry().groups), chemistry());
    EXPECT_EQ(tag.text, "[982.92]SAG[955.00]");
    EXPECT_EQ(tag.length, 3);
    EXPECT_EQ(tag.charge, 2);
    const SequenceTagResult doubly = findLongestSequenceTag(list, makeParentKestranePeak(700.0, 2, 0.5, chemistry().groups), chemistry());
    EXPECT_EQ(doubly.length, 0);
    EXPECT_EQ(doubly.text, "");
}

TEST_F(SequenceTagTest, FirstClosedOfEquallyLongTagsWins) {
    // Two one-letter tags; the search starts at the highest m/z.
    PeakList list = peaks({{428.96, 1.0}, {500.0, 1.0}, {942.98, 1.0}, {1000.0, 1.0}});
    EXPECT_EQ(findLongestSequenceTag(list, makeParentKestranePeak(1200.0, 1, 0.5, chemistry().groups), chemistry()).text, "[941.97]G[256.01]");
}

// Every point of a triangle of the lattice 2000 - i m(G) - j m(A) is a peak:
// each peak leads on by G, A, Q (G + A) or N (G + G), so the number of
// distinct maximal ladders grows exponentially with the triangle's size.
PeakList residueLattice(int size) {
    PeakList list;
    for (int i = 0; i <= size; ++i) {
        for (int j = 0; i + j <= size; ++j) list.push_back(fragment(2000.0 - 57.02146 * i - 71.03711 * j, 1.0));
    }
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.mOverZ < b.mOverZ; });
    return list;
}

TEST_F(SequenceTagTest, TooManyTagsEndTheProcessWithTheLimitMessage) {
    PeakList small = residueLattice(4);
    EXPECT_GT(findLongestSequenceTag(small, makeParentKestranePeak(2100.0, 1, 0.5, chemistry().groups), chemistry()).length, 3);

    const ChildResult result = runInChild([] {
        PeakList list = residueLattice(16);
        errno = 0;
        findLongestSequenceTag(list, makeParentKestranePeak(2100.0, 1, 0.5, chemistry().groups), chemistry());
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.output,
              "\nERROR MESSAGE\n-------------\n\nMore than 100000 tags found, change hard-coded maximum in "
              "lu_seq_tag.\n");
}

}  // namespace
