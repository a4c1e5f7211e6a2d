#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/util/fatal_error.h"
#include "core/util/two_cores.h"
#include "tests/support/child_process.h"

namespace {

// Every record computed once and consumed once, in record order, at and
// around the edges of the window of results held, and with a consumer slow
// enough that the other thread fills the window and waits.
TEST(TwoCores, EveryResultConsumedOnceInOrder) {
    for (const std::int32_t count : {0, 1, 2, 9, 511, 512, 513, 1537, 5000}) {
        std::vector<std::int64_t> consumed;
        std::vector<std::atomic<int>> computed(static_cast<std::size_t>(count));
        computeOnTwoCoresConsumeInOrder<std::int64_t>(
            count,
            [&](std::int32_t i) {
                computed[static_cast<std::size_t>(i)] += 1;
                return std::int64_t{i} * i;
            },
            [&](std::int32_t i, std::int64_t square) {
                if (count == 1537 && i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                EXPECT_EQ(square, std::int64_t{i} * i);
                EXPECT_EQ(i, static_cast<std::int32_t>(consumed.size()));
                consumed.push_back(square);
            });
        EXPECT_EQ(consumed.size(), static_cast<std::size_t>(count));
        for (const std::atomic<int>& times : computed) EXPECT_EQ(times.load(), 1) << count;
    }
}

// A consumer that throws: the caller gets the exception after the records
// before it, and the other thread is stopped (the call returns at all).
TEST(TwoCores, ConsumerExceptionStopsTheStageThere) {
    std::int32_t consumed = 0;
    EXPECT_THROW(computeOnTwoCoresConsumeInOrder<int>(
                     100000, [](std::int32_t i) { return i; },
                     [&](std::int32_t i, int) {
                         if (i == 700) throw std::runtime_error("record 700");
                         ++consumed;
                     }),
                 std::runtime_error);
    EXPECT_EQ(consumed, 700);
}

// A fatal error while consuming waits for the other thread to put down the
// records in hand before the process ends: an exit handler never finds it
// still computing.
std::atomic<int> computing = 0;
TEST(TwoCores, FatalErrorWaitsForTheOtherThreadsWork) {
    const ChildResult r = runInChild([] {
        std::atexit([] {
            if (computing.load() != 0) std::fputs("\nstill computing at exit", stdout);
        });
        computeOnTwoCoresConsumeInOrder<int>(
            64,
            [](std::int32_t i) {
                computing += 1;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                computing -= 1;
                return i;
            },
            [](std::int32_t i, int) {
                if (i == 1) {
                    errno = 0;
                    reportFatalError("consumer failed");
                }
            });
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, "\nERROR MESSAGE\n-------------\n\nconsumer failed");
}

}  // namespace
