// Paths a request names against the root they must stay in: "..", absolute
// paths, symbolic links in both directions, and names that only look like
// the root.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "tests/support/temp_dir.h"
#include "frontend/root_paths.h"

namespace fs = std::filesystem;

namespace {

// base/root/run.d/Analysis.mzML, base/root/inside -> root/run.d,
// base/root/out -> base/outside, base/outside/secret, base/root2/x,
// base/rootlink -> base/root; base/root/up -> ../outside (relative),
// base/root/later -> base/outside/later (dangling), base/root/loop -> loop.
class RootPaths : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(base("root/run.d"));
        fs::create_directories(base("outside"));
        fs::create_directories(base("root2"));
        writeWholeFile(base("root/run.d/Analysis.mzML"), "");
        writeWholeFile(base("outside/secret"), "");
        writeWholeFile(base("root2/x"), "");
        fs::create_directory_symlink(base("root/run.d"), base("root/inside"));
        fs::create_directory_symlink(base("outside"), base("root/out"));
        fs::create_directory_symlink(base("root"), base("rootlink"));
        fs::create_directory_symlink("../outside", base("root/up"));
        fs::create_directory_symlink(base("outside/later"), base("root/later"));
        fs::create_directory_symlink("loop", base("root/loop"));
        root = fs::canonical(base("root"));
    }
    std::string base(const std::string& name) const { return dir.file(name); }

    TempDir dir;
    fs::path root;
};

TEST_F(RootPaths, ResolvesInsideAndRefusesEverythingElse) {
    struct Case {
        std::string requested;
        std::optional<std::string> inside;  // relative to the root; nullopt: refused
    };
    const std::vector<Case> cases = {
        {"run.d/Analysis.yep", "run.d/Analysis.yep"},
        {base("root/run.d/Analysis.yep"), "run.d/Analysis.yep"},
        {base("rootlink/run.d/Analysis.yep"), "run.d/Analysis.yep"},
        {"run.d/../run.d/Analysis.yep", "run.d/Analysis.yep"},
        {"inside/Analysis.yep", "run.d/Analysis.yep"},
        {"new/folder/", "new/folder"},
        {".", "."},
        {"../outside/secret", std::nullopt},
        {"run.d/../../outside/secret", std::nullopt},
        {"new/../../outside", std::nullopt},
        {base("outside/secret"), std::nullopt},
        {base("root2/x"), std::nullopt},
        {"../root2/x", std::nullopt},
        {"out/secret", std::nullopt},
        {"out", std::nullopt},
        {"out/new/folder/", std::nullopt},
        {"/", std::nullopt},
        {"", std::nullopt},
        {"run.d/Analysis.yep\n", std::nullopt},
        // The kernel walks a link before the ".." that follows it, and
        // cannot walk ".." out of a folder that is not there.
        {"inside/../run.d/Analysis.yep", "run.d/Analysis.yep"},
        {"nonexist/../out/secret", std::nullopt},
        {"nonexist/../run.d/Analysis.yep", std::nullopt},
        {"up/secret", std::nullopt},
        {"later/peaklists/", std::nullopt},
        {"loop/x", std::nullopt},
        {"run.d/Analysis.mzML/x", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<fs::path> resolved = resolveInsideRoot(base("root"), c.requested);
        if (!c.inside) {
            EXPECT_FALSE(resolved) << c.requested << " -> " << resolved.value_or("");
        } else {
            ASSERT_TRUE(resolved) << c.requested;
            EXPECT_EQ(*resolved, *c.inside == "." ? root : root / *c.inside) << c.requested;
        }
    }
}

TEST_F(RootPaths, RootGivenThroughALinkStillContains) {
    EXPECT_EQ(resolveInsideRoot(base("rootlink"), "run.d/Analysis.yep"), root / "run.d/Analysis.yep");
    EXPECT_FALSE(resolveInsideRoot(base("rootlink"), base("outside/secret")));
}

}  // namespace
