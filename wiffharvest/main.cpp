#include <cerrno>

#include "core/util/huge_pages.h"
#include "core/util/program_version.h"
#include "core/util/stop_signals.h"
#include "wiffharvest/run_driver.h"

int main(int argc, char* argv[]) {
    if (answeredVersion(argc, argv, "wiffharvest", QUARROW_VERSION)) return 0;
    startAgainWithHugePages("/proc/self/exe", argv);
    endTheRunOnStopSignals();
    // Fatal messages quote the last library error; start from none.
    errno = 0;
    return runWiffharvest();
}
