#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/util/huge_pages.h"
#include "tests/support/child_process.h"

namespace {

// The program started again sees the tunable added to what was set, once;
// a program that cannot be started leaves the environment as it was.
TEST(HugePages, StartsAgainOnceWithTheTunableAdded) {
    struct Case {
        const char* before;  // GLIBC_TUNABLES at the start, nullptr when unset
        const char* program;
        std::string output;  // what the child prints: the environment it ends with
    };
    const Case cases[] = {
        {nullptr, "/bin/sh", "glibc.malloc.hugetlb=1"},
        {"glibc.malloc.check=0", "/bin/sh", "glibc.malloc.check=0:glibc.malloc.hugetlb=1"},
        {"glibc.malloc.hugetlb=0", "/bin/sh", "here:glibc.malloc.hugetlb=0"},
        {nullptr, "/nonexistent/program", "here:"},
        {"glibc.malloc.check=0", "/nonexistent/program", "here:glibc.malloc.check=0"},
    };
    for (const Case& c : cases) {
        const ChildResult r = runInChild([&] {
            if (c.before != nullptr) {
                ::setenv("GLIBC_TUNABLES", c.before, 1);
            } else {
                ::unsetenv("GLIBC_TUNABLES");
            }
            char shell[] = "sh";
            char option[] = "-c";
            char script[] = "printf %s \"$GLIBC_TUNABLES\"";
            char* const argv[] = {shell, option, script, nullptr};
            startAgainWithHugePages(c.program, argv);
            const char* after = std::getenv("GLIBC_TUNABLES");
            std::printf("here:%s", after != nullptr ? after : "");
        });
        EXPECT_EQ(r.exitStatus, 0) << c.program;
        EXPECT_EQ(r.output, c.output) << (c.before != nullptr ? c.before : "unset") << " " << c.program;
    }
}

}  // namespace
