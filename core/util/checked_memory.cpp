#include "core/util/checked_memory.h"

#include <cstdlib>
#include <cstring>

#include "core/util/fatal_error.h"
#include "core/util/format_text.h"

void reportAllocationFailure(std::int64_t size, const char* label) {
    reportFatalError(formatText("Memory allocation (malloc) failure (size = %lld).\n%s\n",
                                static_cast<long long>(size), label));
}

void* allocateMemory(std::int64_t size, const char* label) {
    if (size == 0) return nullptr;
    void* block = size > 0 ? std::malloc(static_cast<std::size_t>(size)) : nullptr;
    if (block == nullptr) reportAllocationFailure(size, label);
    return block;
}

void* allocateZeroedMemory(std::int64_t size, const char* label) {
    void* block = allocateMemory(size, label);
    zeroMemory(block, size);
    return block;
}

char* duplicateText(const char* text, const char* label) {
    const std::size_t length = std::strlen(text);
    char* copy = static_cast<char*>(allocateMemory(static_cast<std::int64_t>(length) + 1, label));
    std::memcpy(copy, text, length + 1);
    return copy;
}

void* reallocateMemory(void* block, std::int64_t size, const char* label) {
    if (size == 0) {
        std::free(block);
        return nullptr;
    }
    void* resized = size > 0 ? std::realloc(block, static_cast<std::size_t>(size)) : nullptr;
    if (resized == nullptr) {
        reportFatalError(formatText("Memory reallocation (realloc) failure (size = %lld).\n%s\n",
                                    static_cast<long long>(size), label));
    }
    return resized;
}

int releaseMemory(void* block, const char* /*label*/) {
    std::free(block);
    return 1;
}

void zeroMemory(void* block, std::int64_t size) {
    if (block != nullptr && size > 0) std::memset(block, 0, static_cast<std::size_t>(size));
}
