#include <cerrno>

#include "core/util/huge_pages.h"
#include "core/util/stop_signals.h"
#include "wiffharvest/run_driver.h"

int main(int, char* argv[]) {
    startAgainWithHugePages("/proc/self/exe", argv);
    endTheRunOnStopSignals();
    // Fatal messages quote the last library error; start from none.
    errno = 0;
    return runWiffharvest();
}
