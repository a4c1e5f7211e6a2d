// The line a failing program writes on standard error for the front ends:
// its exact bytes, the first sentence of the failure, the file it is about
// kept whole, nothing raw for a terminal, and reading it back from among
// other lines.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <functional>

#include "core/util/checked_file.h"
#include "core/util/committed_file.h"
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

// A path holding a full stop and a blank, a line feed or an escape sequence
// stays whole and one line; a file named only on a later line of the page,
// or not at all, is named after the sentence.
TEST(FailureLine, PathsStayWholeAndTerminalSafe) {
    const std::string dotted = "/data/a. b.d/";
    const std::string fed = "/data/new\nline.d/";
    const std::string escaped = "/data/\x1b[31mred\x1b[0m.mgf";
    const std::string closing = "/data/out/x.mgf";
    struct Case {
        std::string text;
        FailurePaths paths;
        int systemError;
        std::string sentence;
    };
    const std::vector<Case> cases = {
        {"No run export was found: the run folder " + dotted + " does not exist. More.", {dotted}, 0,
         "No run export was found: the run folder /data/a. b.d/ does not exist."},
        {"The export " + dotted + "Analysis.mzML is damaged. More.", {dotted}, 0,
         "The export /data/a. b.d/Analysis.mzML is damaged."},
        {"No run export was found: the run folder " + fed + " does not exist.", {fed}, 0,
         "No run export was found: the run folder /data/new\\nline.d/ does not exist."},
        {"File open (fopen) failure.\nFunction: f\nFilename = " + escaped + ".\n", {escaped}, ENOENT,
         "File open (fopen) failure: /data/\\x1b[31mred\\x1b[0m.mgf: No such file or directory."},
        {"File close (fclose) failure.\nFunction: f\n", {closing}, 0, "File close (fclose) failure: /data/out/x.mgf."},
        {"File close (fclose) failure.\nFunction: f\n", {closing}, ENOSPC,
         "File close (fclose) failure: /data/out/x.mgf: No space left on device."},
        // Without the path known, the sentence still carries nothing raw.
        {"Bad \x1b]0;title\x07 value\x7f \xc2\x9b here.", {}, 0, "Bad \\x1b]0;title\\x07 value\\x7f \\xc2\\x9b here."},
        {"Cut \xe2\x82 byte, kept \xc3\xbc and \xe2\x82\xac.", {}, 0, "Cut \\xe2\\x82 byte, kept \xc3\xbc and \xe2\x82\xac."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(failureLineText(1, c.text, c.systemError, c.paths), "quarrow-failure\t1\t" + c.sentence + "\n")
            << c.text;
    }
    // What a front end reads back is as safe, whatever the program wrote.
    const std::optional<FailureLine> raw = lastFailureLine("quarrow-failure\t1\tA \x1b[2J\tcleared screen.\r\n");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->sentence, "A \\x1b[2J\\tcleared screen.\\r");
}

// The file operations name their file in the line, beside the page's words.
TEST(FailureLine, FileFailuresNameTheirFile) {
    const std::string missing = "/nonexistent-quarrow/a. b\n.mgf";
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { openFile(missing, "r", "Function: test"); }, "File open (fopen) failure: "},
        {[&] { gen_file_size(missing); }, "File status (stat) failure: "},
        {[&] {
             CommittedFile file(missing, "Function: test");
             errno = file.openFailure()->error;
             reportFatalError(file.openFailure()->message, {file.openFailure()->file});
         },
         "File open (fopen) failure: "},
    };
    for (const auto& [fail, start] : cases) {
        const ChildResult child = runInChild([&] {
            ::dup2(STDOUT_FILENO, STDERR_FILENO);
            fail();
        });
        EXPECT_EQ(child.exitStatus, 1);
        const std::optional<FailureLine> line = lastFailureLine(child.output);
        ASSERT_TRUE(line.has_value()) << child.output;
        EXPECT_EQ(line->sentence, start + "/nonexistent-quarrow/a. b\\n.mgf: No such file or directory.");
    }
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
