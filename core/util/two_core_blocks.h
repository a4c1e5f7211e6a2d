#pragma once
// Peak picking for a whole run is most of a stage's time and depends on one
// record alone, while everything a stage writes (log rows, record fields)
// must come in record order. So records go in blocks: both cores compute the
// block, then this thread consumes it in order. What a consumer writes is the
// same as from one pass; only `compute` runs on the second core, so it must
// touch nothing but its own record and read-only tables. (Should it end the
// process, out of memory, a failure on the other thread waits for that.)
#include <algorithm>
#include <cstdint>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

template <class Result, class Compute, class Consume>
void computeOnTwoCoresConsumeInOrder(std::int32_t count, Compute compute, Consume consume) {
    constexpr std::int32_t block = 512;
    std::vector<Result> results;
    for (std::int32_t first = 0; first < count; first += block) {
        const std::int32_t end = std::min(count, first + block);
        results.assign(static_cast<std::size_t>(end - first), Result{});
        const auto computeEverySecond = [&](std::int32_t offset) {
            for (std::int32_t i = first + offset; i < end; i += 2) {
                results[static_cast<std::size_t>(i - first)] = compute(i);
            }
        };
        std::optional<std::thread> helper;
        try {
            helper.emplace(computeEverySecond, 1);
        } catch (const std::system_error&) {
            // No second thread to be had: this one does all of the block.
        }
        computeEverySecond(0);
        if (helper) {
            helper->join();
        } else {
            computeEverySecond(1);
        }
        for (std::int32_t i = first; i < end; ++i) consume(i, std::move(results[static_cast<std::size_t>(i - first)]));
    }
}

// Work on each of `count` records in place, on both cores; `work(i)` may
// change record i and read records that no one changes meanwhile.
template <class Work>
void forEachOnTwoCores(std::int32_t count, Work work) {
    computeOnTwoCoresConsumeInOrder<bool>(
        count, [&](std::int32_t i) { return (work(i), true); }, [](std::int32_t, bool) {});
}
