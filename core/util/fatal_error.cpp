#include "core/util/fatal_error.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>

#include "core/util/committed_file.h"
#include "core/util/failure_line.h"
#include "core/util/format_text.h"
#include "core/util/html_escape.h"
#include "core/util/html_page.h"

namespace {
ErrorPrinter errorPrinter = printErrorBanner;
std::atomic<bool> processExiting = false;
std::atomic<bool> fatalErrorStarted = false;

// Prints the failure with `print`, writes its line for the front ends, and
// ends the process as every failure does.
[[noreturn]] void endFailedProcess(const PageHtml& message, int systemError, const FailurePaths& paths,
                                   const std::function<void()>& print);

// One fatal error ends the process: another thread that fails meanwhile (a
// picking thread out of memory) waits here until the first has ended it.
// The same thread may come back, from a log failing in an exit handler.
// Never destroyed: it is still held while the process ends.
std::recursive_mutex& fatalErrorLock() {
    static auto* const lock = new std::recursive_mutex;
    return *lock;
}
}  // namespace

bool fatalErrorUnderway() { return fatalErrorStarted.load(); }

void waitForTheFatalErrorToEndTheProcess() {
    fatalErrorLock().lock();  // held by the failing thread until the process ends
    std::_Exit(1);
}

std::recursive_timed_mutex& workBesideFatalErrors() {
    static auto* const lock = new std::recursive_timed_mutex;  // never destroyed, like the one above
    return *lock;
}

void markProcessExiting() { processExiting = true; }

void printErrorBanner(const PageHtml& message) {
    std::fputs("\n", stdout);
    std::fputs("ERROR MESSAGE\n", stdout);
    std::fputs("-------------\n", stdout);
    std::fputs("\n", stdout);
    std::fwrite(message.html().data(), 1, message.html().size(), stdout);
}

void setErrorPrinter(ErrorPrinter printer) {
    if (printer != nullptr) errorPrinter = printer;
}

void reportFatalError(const std::string& message, const FailurePaths& paths) {
    const int lastError = errno;
    const PageHtml text(message);
    errno = lastError;
    reportFatalError(text, paths);
}

void reportFatalError(const PageHtml& message, const FailurePaths& paths) {
    const int lastError = errno;
    endFailedProcess(message, lastError, paths, [&] {
        PageHtml finalText = message;
        if (lastError != 0) finalText += PageHtml(formatText("\nSystem error message: %s.\n", std::strerror(lastError)));
        errorPrinter(finalText);
    });
}

void exitWithOwnErrorLine(const PageHtml& line) {
    endFailedProcess(line, 0, {}, [&] { std::fwrite(line.html().data(), 1, line.html().size(), getHtmlStream()); });
}

namespace {

[[noreturn]] void endFailedProcess(const PageHtml& message, int systemError, const FailurePaths& paths,
                                   const std::function<void()>& print) {
    fatalErrorLock().lock();  // never released: the process ends below
    fatalErrorStarted = true;
    // Work on the other thread is put down first. That thread may be failing
    // too (it then waits above for this one to end the process), so the wait
    // ends after a second at most; or it is this thread, failing in its own
    // share of the work, which holds the lock already.
    [[maybe_unused]] const bool quiet = workBesideFatalErrors().try_lock_for(std::chrono::seconds(1));
    print();
    writeFailureLine(1, textOfHtml(message.html()), systemError, paths);
    removeUncommittedFiles();
    std::fflush(stdout);
    std::fflush(getHtmlStream());
    if (processExiting) std::_Exit(1);
    processExiting = true;
    std::exit(1);
}

}  // namespace
