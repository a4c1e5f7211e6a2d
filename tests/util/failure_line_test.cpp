// The line a failing program writes on standard error for the front ends:
// its exact bytes, the first sentence of the failure, and reading it back
// from among other lines.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>

#include "core/util/failure_line.h"
#include "core/util/fatal_error.h"
#include "tests/support/child_process.h"

namespace {

TEST(FailureLine, FirstSentenceOnOneLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\nInvalid or unspecified instrument name.\nFunction: initialise_instrument_specifics.\n",
         "Invalid or unspecified instrument name."},
        {"  The file a.b.txt\tcannot be read. It is gone.", "The file a.b.txt cannot be read."},
        {"No run export was found: looked for Analysis.mzML (in /x/r.d/).", "No run export was found: looked for "
                                                                             "Analysis.mzML (in /x/r.d/)."},
        {"\r\n \nno full stop here\nsecond line.", "no full stop here"},
        {"", ""},
    };
    for (const auto& [text, sentence] : cases) EXPECT_EQ(firstSentence(text), sentence) << text;
    EXPECT_EQ(failureLineText(1, "\nBad value.\nFunction: x\n"), "quarrow-failure\t1\tBad value.\n");
    // The system's reason is what a user must fix: it stays in the sentence.
    EXPECT_EQ(failureLineText(1, "File write (fwrite) failure.\nFunction: f\n", ENOSPC),
              "quarrow-failure\t1\tFile write (fwrite) failure: No space left on device.\n");
    EXPECT_EQ(failureLineText(1, "", EFBIG), "quarrow-failure\t1\tFile too large.\n");
}

TEST(FailureLine, TheLastWellFormedLineIsRead) {
    const std::string standardError = "warning: something\n" + failureLineText(1, "First.") +
                                      "quarrow-failure\tx\tnot a status\nquarrow-failure\t\tnone\n" +
                                      failureLineText(3, "Second one. More.") + "trailing text";
    const std::optional<FailureLine> line = lastFailureLine(standardError);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->status, 3);
    EXPECT_EQ(line->sentence, "Second one.");
    EXPECT_FALSE(lastFailureLine("quarrow-failure 1 spaces, not tabs\nError Message\n").has_value());
}

// The fatal path writes the line beside its page, the status with it.
TEST(FailureLine, TheFatalPathWritesItOnStandardError) {
    const ChildResult child = runInChild([] {
        ::dup2(STDOUT_FILENO, STDERR_FILENO);  // the child's output is what is captured
        errno = 0;                             // no system error behind this one
        reportFatalError(PageHtml::markup("\n<BR>") + PageHtml("The value <3> is wrong. Really.\nFunction: f\n"));
    });
    EXPECT_EQ(child.exitStatus, 1);
    const std::optional<FailureLine> line = lastFailureLine(child.output);
    ASSERT_TRUE(line.has_value()) << child.output;
    EXPECT_EQ(line->status, 1);
    EXPECT_EQ(line->sentence, "The value <3> is wrong.");
}

}  // namespace
