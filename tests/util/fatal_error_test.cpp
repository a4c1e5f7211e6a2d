// The page head, the HTML message lines and the one fatal path, checked on
// the bytes a browser receives and on the exit status.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/util/checked_memory.h"
#include "core/util/fatal_error.h"
#include "core/util/html_page.h"
#include "tests/support/child_process.h"

namespace {

const std::string headWithTitle =
    "\n<html>"
    "\n<head>"
    "\n<TITLE>Velmora Quarrow - Error Message</TITLE>"
    "\n<link rel=\"stylesheet\" href=\"/quarrowhtml/vqrforms.css\" type=\"text/css\"  />"
    "\n<link rel=\"stylesheet\" href=\"/quarrowhtml/vqrsumprint.css\" type=\"text/css\"  media=\"print\" />"
    "\n</head>"
    "\n<BODY Id=\"ResRev\" >"
    "\n<H2 ALIGN=center >Error Message</H2><HR />";

TEST(HtmlPage, MessagesGoToTheRedirectedStream) {
    const ChildResult r = runInChild([] {
        std::FILE* page = std::tmpfile();
        setHtmlStream(page);
        html_message("to the page");
        setHtmlStream(stdout);
        std::rewind(page);
        char buffer[64] = {};
        std::printf("page holds: %s", std::fgets(buffer, sizeof buffer, page));
    });
    EXPECT_EQ(r.output, "page holds: to the page\n");
}

TEST(FatalError, ErrorPageWithTheSystemLine) {
    const ChildResult r = runInChild([] {
        setErrorPrinter(writeErrorPage);
        errno = ENOMEM;
        reportAllocationFailure(12, "Function: makeword");
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, headWithTitle +
                            "Memory allocation (malloc) failure (size = 12).\n<BR>"
                            "Function: makeword\n<BR>"
                            "System error message: Cannot allocate memory.\n<BR>"
                            "</BODY>");
}

TEST(FatalError, LongMessagesAreNeitherCutNorOverrun) {
    const std::string longText(10000, 'x');
    const ChildResult r = runInChild([&] {
        errno = 0;
        reportFatalError(longText + "END");
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, "\nERROR MESSAGE\n-------------\n\n" + longText + "END");
}

// A fatal error reported by an exit handler (a log that cannot be written
// on the way out) prints its text too and ends the process at once: the exit
// handlers do not run a second time.
TEST(FatalError, ErrorInAnExitHandlerEndsAtOnce) {
    const ChildResult r = runInChild([] {
        std::atexit([] {
            markProcessExiting();
            std::printf("[handler]");
            errno = 0;
            reportFatalError("second");
        });
        errno = 0;
        reportFatalError("first");
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, "\nERROR MESSAGE\n-------------\n\nfirst[handler]\nERROR MESSAGE\n-------------\n\nsecond");
}

// Two threads failing at once: one message, one exit.
TEST(FatalError, SecondThreadFailingMeanwhileWaits) {
    const ChildResult r = runInChild([] {
        errno = 0;
        std::thread other([] {
            errno = 0;
            reportFatalError("first");
        });
        reportFatalError("first");
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, "\nERROR MESSAGE\n-------------\n\nfirst");
}

}  // namespace
