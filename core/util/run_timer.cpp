#include "core/util/run_timer.h"

#include <ctime>

namespace {
std::time_t startTime = 0;
std::time_t stopTime = 0;

int readClock(std::time_t& into) {
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1)) return 0;
    into = now;
    return 1;
}
}  // namespace

int startRunTimer() { return readClock(startTime); }
int stopRunTimer() { return readClock(stopTime); }
double elapsedRunSeconds() { return std::difftime(stopTime, startTime); }
