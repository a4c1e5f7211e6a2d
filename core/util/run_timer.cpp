#include "core/util/run_timer.h"

#include <ctime>

namespace {
int readClock(long long& into) {
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1)) return 0;
    into = static_cast<long long>(now);
    return 1;
}
}  // namespace

int RunTimer::startRunTimer() { return readClock(start_); }
int RunTimer::stopRunTimer() { return readClock(stop_); }
double RunTimer::elapsedRunSeconds() const {
    return std::difftime(static_cast<std::time_t>(stop_), static_cast<std::time_t>(start_));
}
