#pragma once
// The one way out of the process after an unrecoverable error.
#include <mutex>
#include <string>

#include "core/util/failure_line.h"
#include "core/util/html_page.h"

// Takes the final message as page HTML: what it says is escaped, whichever
// printer shows it (the plain banner reaches the browser too).
using ErrorPrinter = void (*)(const PageHtml& message);

// The default printer, in force until the start-up installs writeErrorPage.
void printErrorBanner(const PageHtml& message);
// A null printer leaves the current one in place.
void setErrorPrinter(ErrorPrinter printer);

// Adds the run-time library's description of the last error number (when it
// is not zero), hands the message to the error printer, writes the failure
// line of its first sentence on standard error (failure_line.h; `paths`
// are the files the failure is about, which the line names whole), removes
// the temporaries of files not committed, and exits with status 1. A
// message of text only is escaped whole; one with the program's own markup
// comes as PageHtml.
// Once the process is on its way out (a fatal error was reported, or
// markProcessExiting was called by an exit handler), a further fatal error
// prints its text the same way and ends the process at once, without running
// the exit handlers a second time.
[[noreturn]] void reportFatalError(const std::string& message, const FailurePaths& paths = {});
[[noreturn]] void reportFatalError(const PageHtml& message, const FailurePaths& paths = {});

// The same end for a failure that prints its own line on the HTML stream
// instead of the error page.
[[noreturn]] void exitWithOwnErrorLine(const PageHtml& line);

// Called by an exit handler that may still report a fatal error.
void markProcessExiting();

// Work done on a second thread beside the one that may end the process (a
// share of a stage's records) holds this lock while it runs. A fatal error
// takes it (waiting a second at most) before the process ends, so that the
// end never pulls what that work reads from under it.
std::recursive_timed_mutex& workBesideFatalErrors();
// Set once a fatal error has begun to end the process: work beside it takes
// no further share, so that it puts the lock down within its current one,
// and waits for the end (a thread that finished unjoined would be a leak).
bool fatalErrorUnderway();
[[noreturn]] void waitForTheFatalErrorToEndTheProcess();
