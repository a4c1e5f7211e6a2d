#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "core/extractor/mgf_file.h"
#include "core/extractor/peak_list_file.h"
#include "core/peaks/centroiding.h"
#include "core/peaks/da_binning.h"
#include "core/peaks/parent_peak.h"
#include "core/peaks/peak_orderings.h"
#include "core/peaks/peak_writers.h"
#include "peak_test_support.h"
#include "core/peaks/spectrum_points.h"
#include "core/util/format_text.h"
#include "tests/support/temp_dir.h"

namespace {

using PeakListTest = PeakTest;

// Ties in m/z keep one fixed order: descending is the exact reverse of ascending.
TEST_F(PeakListTest, MzOrdersBreakTiesTheSameWayBothDirections) {
    PeakList c = peaks({{100.0, 1.0}, {100.0, 7.0}, {90.0, 2.0}});
    sortByMOverZDescending(c);
    EXPECT_EQ(c[0].intensity, 1.0);
    sortByMOverZAscending(c);
    EXPECT_EQ(c[0].mOverZ, 90.0);
    EXPECT_EQ(c[1].intensity, 7.0);
}

TEST_F(PeakListTest, CentroidingBelowTheSmallestWidthLeavesTheListAlone) {
    PeakList list = peaks({{100.0, 10.0}, {100.00001, 20.0}});
    list[0].charge = 2;
    const PeakList out = centroidByPeakWidthAndHeightPercentage(list, 0.00001, 50.0);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].charge, 2);
    EXPECT_EQ(out[1].mOverZ, 100.00001);
    EXPECT_TRUE(centroidByPeakWidthAndHeightPercentage(PeakList{}, 0.5, 50.0).empty());
}

TEST_F(PeakListTest, CentroidingMergesNeighboursStrictlyInsideTheHalfWidth) {
    PeakList list = peaks({{100.0, 1000.0}, {100.2, 600.0}});
    list[0].charge = 3;
    const PeakList merged = centroidByPeakWidthAndHeightPercentage(list, 0.5, 50.0);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_DOUBLE_EQ(merged[0].mOverZ, (100.0 * 1000.0 + 100.2 * 600.0) / 1600.0);
    EXPECT_EQ(merged[0].intensity, 1600.0);
    EXPECT_EQ(merged[0].charge, 1);
}

// The clustering rule, written out plainly: apexes from the most intense
// down over the whole list, neighbours walked while inside the open window,
// only members above half the apex counted. Random profiles on a 0.05 grid
// put neighbours exactly on the window edge, equal heights side by side and
// later apexes next to earlier clusters.
PeakList centroidsByTheRule(const PeakList& list, double width) {
    std::vector<std::size_t> order(list.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return precedesByIntensityDescending(list[a], list[b]);
    });
    std::vector<bool> consumed(list.size(), false);
    PeakList out;
    for (const std::size_t apex : order) {
        if (consumed[apex]) continue;
        consumed[apex] = true;
        std::vector<std::size_t> members = {apex};
        const double h = width * 0.5;
        for (std::size_t i = apex; i > 0 && !consumed[i - 1] && list[i - 1].mOverZ > list[apex].mOverZ - h; --i) {
            consumed[i - 1] = true;
            members.push_back(i - 1);
        }
        for (std::size_t i = apex + 1; i < list.size() && !consumed[i] && list[i].mOverZ < list[apex].mOverZ + h; ++i) {
            consumed[i] = true;
            members.push_back(i);
        }
        std::sort(members.begin(), members.end());
        double s = 0.0;
        double w = 0.0;
        for (const std::size_t m : members) {
            if (list[m].intensity > 0.5 * list[apex].intensity) {
                s += list[m].intensity;
                w += list[m].mOverZ * list[m].intensity;
            }
        }
        if (s > 0.0) out.push_back(fragment(w / s, s));
    }
    sortByMOverZAscending(out);
    return out;
}

TEST_F(PeakListTest, CentroidingAgreesWithTheRuleOnRandomProfiles) {
    std::mt19937_64 random(777);
    std::uniform_int_distribution<int> gapSteps(1, 12);  // gaps of 0.05 to 0.60, often exactly 0.25
    std::uniform_int_distribution<int> height(0, 40);
    for (int trial = 0; trial < 300; ++trial) {
        PeakList list;
        double mz = 100.0;
        for (int i = 0; i < 60; ++i) {
            mz += gapSteps(random) * 0.05;
            list.push_back(fragment(mz, height(random) * 25.0));  // equal heights on purpose
        }
        const PeakList got = centroidByPeakWidthAndHeightPercentage(list, 0.5, 50.0);
        const PeakList want = centroidsByTheRule(list, 0.5);
        ASSERT_EQ(got.size(), want.size()) << "trial " << trial;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].mOverZ, want[i].mOverZ) << "trial " << trial << " peak " << i;
            EXPECT_EQ(got[i].intensity, want[i].intensity) << "trial " << trial << " peak " << i;
        }
    }
}

TEST_F(PeakListTest, BinningChainsNeighboursWithinTheTolerance) {
    PeakList list = peaks({{100.0, 10.0}, {100.2, 30.0}, {100.4, 20.0}, {100.66, 5.0}, {300.0, 1.0}});
    list[4].charge = 4;
    const PeakList out = binPeaksByUserDaTolerance(list, 0.25);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].mOverZ, 100.2);
    EXPECT_EQ(out[0].intensity, 60.0);
    EXPECT_EQ(out[1].mOverZ, 100.66);
    EXPECT_EQ(out[2].charge, 4);  // a lone peak is copied unchanged

    const PeakList edge = binPeaksByUserDaTolerance(peaks({{100.0, 1.0}, {100.25, 2.0}}), 0.25);
    ASSERT_EQ(edge.size(), 1u);  // the gap bound is inclusive
    EXPECT_EQ(edge[0].mOverZ, 100.25);
    EXPECT_EQ(edge[0].intensity, 3.0);
    EXPECT_EQ(binPeaksByUserDaTolerance(list, 0.00009).size(), 5u);

    // Summed from the most intense member down: 7186.500000000001, printed
    // 7187; in m/z order the sum is 7186.5, printed 7186.
    const PeakList tie = binPeaksByUserDaTolerance(peaks({{100.0, 11.3}, {100.1, 4377.6}, {100.2, 2797.6}}), 0.25);
    ASSERT_EQ(tie.size(), 1u);
    EXPECT_EQ(formatText("%.0f", tie[0].intensity), "7187");
}

// What a writer puts into a file, for either form of the list.
template <class Peaks>
std::string pklLines(const Peaks& list, int mzDecimals) {
    std::string text;
    appendPeakLines(list, mzDecimals, text);
    return text;
}

template <class Peaks>
std::string mgfLines(const Peaks& list) {
    std::FILE* file = std::tmpfile();
    writeMgfPeakLines(list, file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
    std::fclose(file);
    return text;
}

// The writers must give exactly the bytes of "\n%.2f\t%.0f" (and "%.4f",
// "%.5f" for MGF files),
// whatever the value: halfway cases, huge and tiny values, negative zero,
// not-a-number.
TEST_F(PeakListTest, PeakLinesMatchPrintfForEveryKindOfValue) {
    std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, 0.125, 0.375, 2.675, 1.005, 1e-300, 123456789.125,
                                  1e22, 1.7976931348623157e308, -3.14159, std::nan(""), -std::nan(""),
                                  std::numeric_limits<double>::infinity()};
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> mz(50.0, 4000.0);
    std::uniform_int_distribution<int> hundredths(0, 400000);
    for (int i = 0; i < 2000; ++i) {
        values.push_back(mz(random));
        values.push_back(hundredths(random) / 100.0 + 0.005);  // near a rounding tie
        values.push_back(hundredths(random) + 0.5);             // exact tie for "%.0f"
        values.push_back(std::nextafter(hundredths(random) / 100.0, 0.0));  // just below a whole hundredth
        values.push_back(hundredths(random) / 8.0);                         // exact ties for "%.2f" and "%.4f"
    }
    PeakList list;
    std::string twoDecimals;
    std::string fourDecimals;
    std::string fiveDecimals;
    for (std::size_t i = 0; i < values.size(); ++i) {
        KestranePeak peak;
        peak.mOverZ = values[i];
        peak.intensity = values[values.size() - 1 - i];
        list.push_back(peak);
        char line[800];
        std::snprintf(line, sizeof line, "\n%.2f\t%.0f", peak.mOverZ, peak.intensity);
        twoDecimals += line;
        std::snprintf(line, sizeof line, "\n%.4f\t%.0f", peak.mOverZ, peak.intensity);
        fourDecimals += line;
        std::snprintf(line, sizeof line, "\n%.5f\t%.0f", peak.mOverZ, peak.intensity);
        fiveDecimals += line;
    }
    EXPECT_EQ(pklLines(list, 2), twoDecimals);
    EXPECT_EQ(pklLines(list, 4), fourDecimals);
    EXPECT_EQ(pklLines(PeakList{}, 2), "");
    // The scan tables' points go through the same formatting.
    const SpectrumPoints points = toSpectrumPoints(list);
    EXPECT_EQ(pklLines(points, 2), twoDecimals);
    EXPECT_EQ(pklLines(points, 4), fourDecimals);
    EXPECT_EQ(mgfLines(list), fiveDecimals);
    EXPECT_EQ(mgfLines(points), fiveDecimals);
}

// The same peaks in a .pkl file and an MGF block: the .pkl keeps its
// rounding, the MGF carries five decimals of m/z, so that high-resolution
// fragments reach the search engine as they are, and the .pkl's intensities.
TEST_F(PeakListTest, MgfPeakLinesKeepTheMzThePklRoundsAway) {
    const struct {
        double mz, intensity;
        const char* pkl;  // "%.2f\t%.0f"
        const char* mgf;
    } cases[] = {
        {147.1123449, 0.4567, "147.11\t0", "147.11234\t0"},
        {175.118951, 3.5, "175.12\t4", "175.11895\t4"},
        {200.000004, 12.3456789, "200.00\t12", "200.00000\t12"},
        {500.125, 1234567.89, "500.12\t1234568", "500.12500\t1234568"},
    };
    PeakList list;
    std::string pkl = "445.12\t88210\t2";
    std::string mgf = "BEGIN IONS\nTITLE=r.0001.0001.2\nPEPMASS=445.12347 88210\nCHARGE=2+\nSCANS=1-1";
    for (const auto& c : cases) {
        list.push_back(makeFragmentPeak(c.mz, c.intensity));
        pkl += std::string("\n") + c.pkl;
        mgf += std::string("\n") + c.mgf;
    }
    mgf += "\nEND IONS\n";
    TempDir folder;
    ASSERT_FALSE(writePeakListFile(folder.file("r.0001.0001.2.pkl"), {445.123465, 88210.0, 2, 2}, list, "test"));
    EXPECT_EQ(readWholeFile(folder.file("r.0001.0001.2.pkl")), pkl);
    {
        MgfFile file(folder.file("r.mgf"));
        file.add({"r.0001.0001.2", 445.123465, 88210.0, 2, 1, 1, std::nullopt}, list);
        file.add({"r.0001.0001.2", 445.123465, 88210.0, 2, 1, 1, std::nullopt}, toSpectrumPoints(list));
        file.commit();
    }
    EXPECT_EQ(readWholeFile(folder.file("r.mgf")), mgf + mgf);
}

}  // namespace
