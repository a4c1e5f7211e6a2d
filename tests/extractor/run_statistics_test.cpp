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

// The layout with every counter is checked on both programs' stages; here
// the charge lines, which stop at 9 whatever the maximum charge.
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
