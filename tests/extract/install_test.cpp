// cmake --install into a fresh prefix gives tools that run on their own:
// with the build tree hidden (an empty file system mounted over it, in a
// mount namespace of the test's own), the installed quarrow-extract finds the
// installed programs and parameter folder, names them in --help, and writes
// what the build tree's tool writes; the other installed tools run too, and
// nothing they print names the source or the build tree.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "tests/support/work_folder.h"

namespace fs = std::filesystem;

namespace {

bool executable(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & S_IXUSR) != 0;
}

// The shell `script` with the build tree hidden; $1 is the prefix, $2 the
// work folder. Its standard error follows its output. The source tree stays
// in sight (a sanitizer's suppressions may be read from it): the tools'
// places and outputs show that it is not used either.
ChildResult withBuildTreeHidden(const std::string& script, const std::string& prefix, const std::string& work) {
    // Root makes a mount namespace of its own; anyone else within a user namespace.
    std::vector<std::string> arguments;
    if (::geteuid() != 0) arguments.emplace_back("--map-root-user");
    arguments.insert(arguments.end(), {"--mount", "/bin/sh", "-c",
                                       "mount -t tmpfs quarrow-hidden \"$1\" && script=$2 && shift 2 && "
                                       "exec sh -c \"$script\" sh \"$@\" 2>&1",
                                       "hide", QUARROW_BINARY_DIR, script, prefix, work});
    return runProgram({"/usr/bin/unshare", work, {{"PATH", "/usr/bin:/bin"}}, "", arguments});
}

TEST(Install, TheInstalledToolsRunWithoutTheBuildTree) {
    TempDir prefix;
    TempDir work;
    const ChildResult installed =
        runProgram({CMAKE_PATH, "", {{"PATH", "/usr/bin:/bin"}}, "", {"--install", QUARROW_BINARY_DIR, "--prefix", prefix.path()}});
    ASSERT_EQ(installed.exitStatus, 0) << installed.output;

    const std::string bin = prefix.file("bin/");
    const std::string data = prefix.file("share/quarrow/");
    for (const char* tool : {"yepharvest", "wiffharvest", "quarrow-extract", "quarrow-report", "quarrow-keys",
                             "quarrow-runs", "quarrow-rungen", "quarrow-launch"}) {
        EXPECT_TRUE(executable(bin + tool)) << tool;
    }
    for (const char* file : {"elements.txt", "aminoAcids.tsv", "cysteines.tsv", "instrument.txt"}) {
        EXPECT_EQ(readWholeFile(data + "msparams_quarrow/" + file),
                  readWholeFile(std::string(QUARROW_SOURCE_DIR) + "/msparams_quarrow/" + file));
    }
    for (const char* script : {"web/serve.sh", "workflow/one-node-slurm.sh"}) EXPECT_TRUE(executable(data + script));
    for (const char* file : {"web/htdocs/index.html", "workflow/Snakefile", "workflow/scripts/quarrow_runs.py",
                             "workflow/profiles/slurm/config.yaml"}) {
        EXPECT_TRUE(fs::is_regular_file(data + file)) << file;
    }
    // The installed workflow's settings name the installed programs, from the
    // folder above workflow/.
    const std::string settings = readWholeFile(data + "workflow/config.yaml");
    for (const char* tool : {"yepharvest", "wiffharvest", "quarrow-report", "quarrow-keys", "quarrow-runs"}) {
        EXPECT_NE(settings.find(": ../../bin/" + std::string(tool) + "\n"), std::string::npos) << tool << "\n" << settings;
    }
    EXPECT_FALSE(std::regex_search(settings, std::regex("\n[a-z]+: *build/"))) << settings;

    // The same run through the build tree's tool, for comparison.
    runGenerator("--folder --spectra 150 --seed 5 --output " + work.file("sample7.d"));
    const ChildResult built = runProgram({EXTRACT_PATH, "", {}, "", {work.file("sample7.d"), "--out", work.file("built")}});
    ASSERT_EQ(built.exitStatus, 0) << built.output;

    const ChildResult hidden = withBuildTreeHidden(
        "set -e; \"$1/bin/quarrow-extract\" --help > help.txt; "
        "\"$1/bin/quarrow-extract\" \"$2/sample7.d\" --out \"$2/installed\"; "
        "\"$1/bin/quarrow-report\" --logs \"$2/installed/logs/\" --features specFeatures.txt --run sample7 "
        "--data \"$2/sample7.d/Analysis.yep\" --output \"$2/report.html\"; "
        "\"$1/bin/quarrow-keys\" --tsv > keys.tsv; "
        "\"$1/bin/quarrow-rungen\" --sciex qstar --spectra 150 --seed 2 --output \"$2/lysate3.wiff\" > /dev/null; "
        "\"$1/bin/quarrow-extract\" \"$2/lysate3.wiff\" --out \"$2/wiff\"; "
        "[ -z \"$(ls -A '" QUARROW_BINARY_DIR "')\" ] && echo hidden",
        prefix.path(), work.path());
    ASSERT_EQ(hidden.exitStatus, 0) << hidden.output;
    // The build tree could not be seen.
    EXPECT_TRUE(hidden.output.ends_with("\nhidden\n")) << hidden.output;

    const std::string help = readWholeFile(work.file("help.txt"));
    for (const std::string& place : {bin + "yepharvest\n", bin + "wiffharvest\n", data + "msparams_quarrow\n"}) {
        EXPECT_NE(help.find(" " + place), std::string::npos) << place << "\n" << help;
    }
    for (const std::string& text : {hidden.output, help, readWholeFile(work.file("report.html"))}) {
        EXPECT_EQ(text.find(QUARROW_SOURCE_DIR), std::string::npos) << text;
        EXPECT_EQ(text.find(QUARROW_BINARY_DIR), std::string::npos) << text;
    }
    for (const char* folder : {"peaklists", "logs"}) {
        const auto want = folderContents(work.file(std::string("built/") + folder));
        EXPECT_GT(want.size(), 0u) << folder;
        EXPECT_TRUE(want == folderContents(work.file(std::string("installed/") + folder))) << folder << " differs";
    }
    EXPECT_NE(readWholeFile(work.file("keys.tsv")).find("\nxtractorDataFilename\t"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(work.file("wiff/peaklists/lysate3.mgf")));
}

}  // namespace
