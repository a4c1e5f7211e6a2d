#include "core/util/stop_signals.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>
#include <thread>

#include "core/util/fatal_error.h"
#include "core/util/format_text.h"

namespace {

struct StopSignal {
    int number;
    const char* name;
};
constexpr StopSignal stopSignals[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};

// Set by the handler of SIGPIPE, which turns it into a SIGTERM for the
// waiting thread: a SIGPIPE is sent to the thread whose write failed, which
// cannot wait for it.
volatile std::sig_atomic_t outputGone = 0;

extern "C" void passBrokenPipeOn(int) {
    outputGone = 1;
    ::kill(::getpid(), SIGTERM);
}

const char* nameOf(int number) {
    for (const StopSignal& signal : stopSignals) {
        if (signal.number == number) return signal.name;
    }
    return "a signal";
}

}  // namespace

void endTheRunOnStopSignals() {
    sigset_t watched;
    sigemptyset(&watched);
    bool any = false;
    for (const StopSignal& signal : stopSignals) {
        struct sigaction current {};
        if (::sigaction(signal.number, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            sigaddset(&watched, signal.number);
            any = true;
        }
    }
    if (!any || ::pthread_sigmask(SIG_BLOCK, &watched, nullptr) != 0) return;
    // The reader of the progress gone (its launcher killed): the run ends on
    // the fatal path too, which removes its temporaries, instead of at once.
    struct sigaction pipe {};
    if (sigismember(&watched, SIGTERM) == 1 && ::sigaction(SIGPIPE, nullptr, &pipe) == 0 && pipe.sa_handler == SIG_DFL) {
        pipe.sa_handler = passBrokenPipeOn;
        sigemptyset(&pipe.sa_mask);
        pipe.sa_flags = SA_RESTART;
        ::sigaction(SIGPIPE, &pipe, nullptr);
    }
    try {
        std::thread([watched] {
            int number = 0;
            while (::sigwait(&watched, &number) != 0) {
            }
            // On the way out already: the exit handlers, which write the
            // logs, are not run (see the header).
            markProcessExiting();
            errno = 0;  // the message is about the signal, not about a library call
            reportFatalError(formatText("The run was stopped by %s.\n",
                                        number == SIGTERM && outputGone != 0 ? "SIGPIPE" : nameOf(number)));
        }).detach();
    } catch (const std::system_error&) {
        // No thread to wait for them: the signals end the process as they
        // would have without this.
        ::pthread_sigmask(SIG_UNBLOCK, &watched, nullptr);
    }
}
