#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/util/two_core_blocks.h"

// Every record computed once and consumed once, in record order, at and
// around the block edges.
TEST(TwoCoreBlocks, EveryResultConsumedOnceInOrder) {
    for (const std::int32_t count : {0, 1, 2, 511, 512, 513, 1537}) {
        std::vector<std::int64_t> consumed;
        computeOnTwoCoresConsumeInOrder<std::int64_t>(
            count, [](std::int32_t i) { return std::int64_t{i} * i; },
            [&](std::int32_t i, std::int64_t square) {
                EXPECT_EQ(square, std::int64_t{i} * i);
                EXPECT_EQ(i, static_cast<std::int32_t>(consumed.size()));
                consumed.push_back(square);
            });
        EXPECT_EQ(consumed.size(), static_cast<std::size_t>(count));
    }
}
