#include "core/util/checked_memory.h"

#include "core/util/fatal_error.h"
#include "core/util/format_text.h"

void reportAllocationFailure(std::int64_t size, const char* label) {
    reportFatalError(formatText("Memory allocation (malloc) failure (size = %lld).\n%s\n",
                                static_cast<long long>(size), label));
}
