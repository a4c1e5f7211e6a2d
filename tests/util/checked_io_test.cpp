// Checked file and environment operations: the exact message of each
// failure.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "core/util/checked_file.h"
#include "tests/support/child_process.h"

namespace {

const std::string banner = "\nERROR MESSAGE\n-------------\n\n";

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
