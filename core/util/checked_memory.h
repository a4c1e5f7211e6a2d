#pragma once
// Allocation that either succeeds or ends the process with a message naming
// the size and the caller's label. The code holds its data in std::vector
// and std::string; `reserveChecked` gives those the same message.
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

[[noreturn]] void reportAllocationFailure(std::int64_t size, const char* label);

// Makes room for `count` elements, or ends the process with the allocation
// failure message for the bytes asked for.
template <class T>
void reserveChecked(std::vector<T>& list, std::size_t count, const char* label) {
    try {
        list.reserve(count);
    } catch (const std::bad_alloc&) {
        reportAllocationFailure(static_cast<std::int64_t>(count * sizeof(T)), label);
    } catch (const std::length_error&) {
        reportAllocationFailure(static_cast<std::int64_t>(count * sizeof(T)), label);
    }
}
