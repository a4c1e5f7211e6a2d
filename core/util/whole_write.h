#pragma once
// Writing all of a buffer to a descriptor, below every checked operation:
// the failure line and the fatal path's own files use it too, so it reports
// its error instead of ending the process.
#include <string_view>

// Writes all of `bytes` to the descriptor, going on after an interruption:
// 0, or the error number of the write that failed (EIO when one wrote nothing).
int writeWhole(int descriptor, std::string_view bytes);
