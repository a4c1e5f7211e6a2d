#pragma once
// Reading spectra, picking peaks and making files depend on one record
// alone, while everything a stage writes (log rows, record fields) must come
// in record order. So both threads compute records, claiming a few at a
// time, and this thread also consumes the results in record order: when the
// next result is ready it consumes it, otherwise it computes. What a
// consumer writes is the same as from one pass.
//
// `compute(i)` may run on either thread, at the same time as `consume(j)`
// for an earlier record j: it may write its result and its own record,
// read what no one writes meanwhile, and must not throw, nor run a stage
// of its own on two threads (the other thread's work lock would stall the
// one it starts). `consume(i)` runs on this thread and may write record i.
// An exception from `consume` stops the other thread and goes on to the
// caller; a fatal error in `consume` waits for the other thread to put down
// the records in hand (see fatal_error.h).
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/util/fatal_error.h"

// Records [first, end); a stage that runs over a run in blocks calls it once
// per block.
template <class Result, class Compute, class Consume>
void computeOnTwoCoresConsumeInOrder(std::int32_t first, std::int32_t end, Compute compute, Consume consume) {
    if (end <= first) return;
    const std::int32_t count = end - first;
    // Results computed ahead of the next one consumed, at most: the memory
    // of a stage stays that of a few hundred records.
    constexpr std::int32_t window = 512;
    constexpr std::int32_t claimed = 8;  // records a thread claims at a time
    const std::int32_t slots = std::min(count, window);
    // Wrapped, so that no Result shares its memory with another's (as the
    // bits of a std::vector<bool> would): two threads write them at once.
    struct Slot {
        Result result;
    };
    std::vector<Slot> results(static_cast<std::size_t>(slots));
    // The record whose result a slot holds, -1 before the first.
    const std::unique_ptr<std::atomic<std::int32_t>[]> holds(new std::atomic<std::int32_t>[static_cast<std::size_t>(slots)]);
    for (std::int32_t s = 0; s < slots; ++s) holds[s].store(-1, std::memory_order_relaxed);
    std::atomic<std::int32_t> nextUnclaimed = 0;
    std::atomic<std::int32_t> consumed = 0;
    std::atomic<bool> stop = false;

    // 1: [from, to) claimed (counted from `first`); 0: the window is full;
    // -1: all claimed.
    const auto claim = [&](std::int32_t& from, std::int32_t& to) {
        std::int32_t at = nextUnclaimed.load();
        for (;;) {
            if (at >= count) return -1;
            const std::int32_t upTo = std::min(count, at + claimed);
            if (upTo > consumed.load() + slots) return 0;
            if (nextUnclaimed.compare_exchange_weak(at, upTo)) {
                from = at;
                to = upTo;
                return 1;
            }
        }
    };
    const auto computeClaimed = [&](std::int32_t from, std::int32_t to) {
        for (std::int32_t i = from; i < to; ++i) {
            const std::int32_t slot = i % slots;
            results[static_cast<std::size_t>(slot)].result = compute(first + i);
            holds[slot].store(i, std::memory_order_release);
            holds[slot].notify_one();
        }
    };
    const auto help = [&] {
        std::int32_t from = 0;
        std::int32_t to = 0;
        while (!stop.load()) {
            if (fatalErrorUnderway()) waitForTheFatalErrorToEndTheProcess();
            const std::int32_t seen = consumed.load();
            const int got = claim(from, to);
            if (got < 0) return;
            if (got == 0) {
                consumed.wait(seen);
                continue;
            }
            const std::lock_guard<std::recursive_timed_mutex> work(workBesideFatalErrors());
            computeClaimed(from, to);
        }
    };

    std::optional<std::thread> helper;
    try {
        helper.emplace(help);
    } catch (const std::system_error&) {
        // No second thread to be had: this one computes every record.
    }
    const auto stopHelper = [&] {
        stop.store(true);
        consumed.fetch_add(1);  // wakes the other thread if it waits for room
        consumed.notify_all();
        if (helper) helper->join();
    };
    try {
        for (std::int32_t i = 0; i < count;) {
            const std::int32_t slot = i % slots;
            const std::int32_t held = holds[slot].load(std::memory_order_acquire);
            if (held == i) {
                consume(first + i, std::move(results[static_cast<std::size_t>(slot)].result));
                consumed.store(++i);
                consumed.notify_one();
                continue;
            }
            std::int32_t from = 0;
            std::int32_t to = 0;
            if (claim(from, to) > 0) {
                computeClaimed(from, to);
            } else {
                holds[slot].wait(held, std::memory_order_acquire);  // the other thread has record i in hand
            }
        }
    } catch (...) {
        stopHelper();
        throw;
    }
    stopHelper();
}

// Records [0, count).
template <class Result, class Compute, class Consume>
void computeOnTwoCoresConsumeInOrder(std::int32_t count, Compute compute, Consume consume) {
    computeOnTwoCoresConsumeInOrder<Result>(0, count, std::move(compute), std::move(consume));
}

// Work on each of the records [first, end) in place, on both cores;
// `work(i)` may change record i and read records that no one changes
// meanwhile.
template <class Work>
void forEachOnTwoCores(std::int32_t first, std::int32_t end, Work work) {
    computeOnTwoCoresConsumeInOrder<bool>(
        first, end, [&](std::int32_t i) { return (work(i), true); }, [](std::int32_t, bool) {});
}
template <class Work>
void forEachOnTwoCores(std::int32_t count, Work work) {
    forEachOnTwoCores(0, count, std::move(work));
}
