#pragma once
// Allocation that either succeeds or ends the process with a message naming
// the size and the caller's label. Most of the code holds its data in
// std::vector and std::string; `reserveChecked` gives those the same message.
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

void* allocateMemory(std::int64_t size, const char* label);        // size 0: null, no message
void* allocateZeroedMemory(std::int64_t size, const char* label);
char* duplicateText(const char* text, const char* label);
void* reallocateMemory(void* block, std::int64_t size, const char* label);  // size 0 releases
int releaseMemory(void* block, const char* label);                 // null accepted; returns 1
void zeroMemory(void* block, std::int64_t size);

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
