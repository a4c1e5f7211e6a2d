// The statistics block of runStats.txt, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "core/extractor/run_statistics.h"

namespace {

std::string chargeLines(const char* name, int highest, int (*count)(int)) {
    std::string lines;
    for (int c = 0; c <= highest; ++c) lines += name + (" " + std::to_string(c)) + "\t" + std::to_string(count(c)) + "\n";
    return lines;
}

TEST(RunStatistics, BlockLayoutAndChargeCounting) {
    RunStatistics stats;
    stats.numMSMSscansCollected = 12;
    stats.numMSMSmergedParentScans = 3;
    stats.numOutputFiles = 7;
    stats.numOutputSpectra = 6;
    stats.numMergedParentOutputSpectra = 2;
    for (const std::int32_t charge : {1, 2, 2, 0, 0, 0, 9, 10, -1}) stats.countCharge(charge);

    LogSink out;
    writeRunStatistics(stats, 4, out);
    EXPECT_EQ(out.text(),
              "numMSMSscansCollected\t12\nnumMSMSmergedParentScans\t3\nnumOutputFiles\t7\nnumOutputSpectra\t6\n"
              "numMergedParentOutputSpectra\t2\n"
              "numUniqueChargeSpectra 0\t0\nnumUniqueChargeSpectra 1\t1\nnumUniqueChargeSpectra 2\t2\n"
              "numUniqueChargeSpectra 3\t0\nnumUniqueChargeSpectra 4\t0\n"
              "numAmbiguousChargeSpectra 0\t0\nnumAmbiguousChargeSpectra 1\t0\nnumAmbiguousChargeSpectra 2\t3\n"
              "numAmbiguousChargeSpectra 3\t0\nnumAmbiguousChargeSpectra 4\t0\n\n");
}

TEST(RunStatistics, ChargeLinesAreBoundedToZeroToNine) {
    RunStatistics stats;
    for (const std::int32_t charge : {9, 9, 10, 11}) stats.countCharge(charge);
    const std::string counters =
        "numMSMSscansCollected\t0\nnumMSMSmergedParentScans\t0\nnumOutputFiles\t0\nnumOutputSpectra\t0\n"
        "numMergedParentOutputSpectra\t0\n";
    const auto uniqueNine = [](int c) { return c == 9 ? 2 : 0; };
    const auto none = [](int) { return 0; };
    for (const std::int32_t maxCharge : {9, 10, 12, 1000}) {
        LogSink out;
        writeRunStatistics(stats, maxCharge, out);
        EXPECT_EQ(out.text(), counters + chargeLines("numUniqueChargeSpectra", 9, uniqueNine) +
                                  chargeLines("numAmbiguousChargeSpectra", 9, none) + "\n")
            << maxCharge;
    }
    LogSink zero;
    writeRunStatistics(stats, 0, zero);
    EXPECT_EQ(zero.text(), counters + "numUniqueChargeSpectra 0\t0\nnumAmbiguousChargeSpectra 0\t0\n\n");
}

}  // namespace
