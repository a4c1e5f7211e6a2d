// Checked memory, file and environment operations: success paths and the
// exact message of each failure.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/util/checked_file.h"
#include "core/util/checked_memory.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string banner = "\nERROR MESSAGE\n-------------\n\n";

TEST(CheckedMemory, SizeZeroGivesNullWithoutMessage) {
    const ChildResult r = runInChild([] {
        std::printf("%d", allocateMemory(0, "label") == nullptr ? 1 : 0);
        void* block = allocateMemory(16, "label");
        std::printf(" %d", reallocateMemory(block, 0, "label") == nullptr ? 1 : 0);
        std::printf(" %d", releaseMemory(nullptr, "label"));
    });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.output, "1 1 1");
}

TEST(CheckedMemory, ZeroedAndDuplicatedBlocks) {
    auto* zeroed = static_cast<unsigned char*>(allocateZeroedMemory(64, "test"));
    for (int i = 0; i < 64; ++i) EXPECT_EQ(zeroed[i], 0);
    zeroed = static_cast<unsigned char*>(reallocateMemory(zeroed, 128, "test"));
    EXPECT_EQ(zeroed[63], 0);
    releaseMemory(zeroed, "test");
    char* copy = duplicateText("Analysis.yep", "test");
    EXPECT_STREQ(copy, "Analysis.yep");
    releaseMemory(copy, "test");
}

TEST(CheckedMemory, FailuresNameSizeAndLabel) {
    const ChildResult negative = runInChild([] {
        errno = 0;
        allocateMemory(-2, "Function: makeword");
    });
    EXPECT_EQ(negative.exitStatus, 1);
    EXPECT_EQ(negative.output, banner + "Memory allocation (malloc) failure (size = -2).\nFunction: makeword\n");

    const ChildResult grow = runInChild([] {
        errno = 0;
        reallocateMemory(nullptr, -7, "Function: parse_query_entry");
    });
    EXPECT_EQ(grow.exitStatus, 1);
    EXPECT_EQ(grow.output, banner + "Memory reallocation (realloc) failure (size = -7).\nFunction: parse_query_entry\n");
}

TEST(CheckedFiles, TextModeAppendsT) {
    EXPECT_EQ(textModeOf("r"), "rt");
    EXPECT_EQ(textModeOf("a"), "at");
    TempDir dir;
    std::FILE* out = openTextFile(dir.file("f.txt"), "w", "test");
    std::fputs("12345", out);
    EXPECT_EQ(closeFile(out, "test"), 0);
    EXPECT_EQ(gen_file_size(dir.file("f.txt")), 5);
}

TEST(CheckedFiles, StatusFailureNamesTheFile) {
    const ChildResult r = runInChild([] { gen_file_size("/no/such/file.tsv"); });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, banner +
                            "File status (stat) failure.\nFunction name: gen_file_size.\nFilename: /no/such/file.tsv.\n"
                            "\nSystem error message: No such file or directory.\n");
}

TEST(CheckedFiles, MissingEnvironmentVariableIsFatal) {
    const ChildResult r = runInChild([] {
        ::unsetenv("QUARROW_SURELY_UNSET");
        errno = 0;
        getEnvironmentVariable("QUARROW_SURELY_UNSET", "Function: query.");
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, banner +
                            "Get environment variable (getenv) failure.\nFunction: query.\n"
                            "Environment variable: QUARROW_SURELY_UNSET\n");
    const ChildResult set = runInChild([] {
        ::setenv("QUARROW_SET", "value", 1);
        std::printf("%s", getEnvironmentVariable("QUARROW_SET", "x"));
    });
    EXPECT_EQ(set.output, "value");
}

}  // namespace
