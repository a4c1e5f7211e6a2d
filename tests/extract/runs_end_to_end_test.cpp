// quarrow-runs --tsv on generated runs of both programs, as the workflow
// starts it: every byte of its table, and the command lines it refuses.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/work_folder.h"

namespace fs = std::filesystem;

namespace {

// The tool with these arguments, standard error after standard output.
ChildResult runs(const std::vector<std::string>& arguments) {
    std::vector<std::string> shell = {"-c", "exec \"$0\" \"$@\" 2>&1", RUNS_PATH};
    shell.insert(shell.end(), arguments.begin(), arguments.end());
    return runProgram({"/bin/sh", "", {}, "", shell});
}

TEST(QuarrowRuns, ListsEveryRunOfAFolderWithItsProgramPathAndSource) {
    TempDir dir;
    const std::string folder = dir.file("runs");
    fs::create_directories(folder + "/lab");
    runGenerator("--folder --spectra 30 --seed 1 --output " + folder + "/y1.d");
    runGenerator("--gzip --spectra 30 --seed 2 --output " + folder + "/lab/y2.mzML");
    runGenerator("--sciex qstar --samples 2 --spectra 30 --seed 3 --output " + folder + "/w1.wiff");
    runGenerator("--sciex qtrap --spectra 30 --seed 4 --output " + folder + "/lab/w2.wiff");
    writeWholeFile(folder + "/lab/w2.wiff", "");
    fs::create_directory(folder + "/tab\there.d");
    fs::copy_file(folder + "/y1.d/Analysis.mzML", folder + "/tab\there.d/Analysis.mzML");
    fs::copy_file(folder + "/y1.d/Analysis.mzML", folder + "/y1.mzML");
    runGenerator("--spectra 30 --seed 5 --output " + dir.file("outside.mzML"));
    fs::create_symlink(dir.file("outside.mzML"), folder + "/outside.mzML");

    const ChildResult listed = runs({"--tsv", folder});
    EXPECT_EQ(listed.exitStatus, 0) << listed.output;
    const std::string shared = "another run of " + folder + " is named y1 too, and the run name prefixes every peak list and log row";
    EXPECT_EQ(listed.output,
              "run\tprogram\tpath\tsource\tproblem\n"
              "w2\twiffharvest\tlab/w2.wiff\tlab/w2.wiff\t\n"
              "y2\tyepharvest\tlab/y2.mzML.gz\tlab/y2.mzML.gz\t\n"
              "tab\\there\tyepharvest\ttab\\there.d/Analysis.yep\ttab\\there.d\t"
              "its name holds a line break, a tab or another control character, which would split its rows\n"
              "w1\twiffharvest\tw1.wiff\tw1-Sample1.mzML\t\n"
              "y1\tyepharvest\ty1.d/Analysis.yep\ty1.d\t" + shared + "\n"
              "y1\tyepharvest\ty1.mzML\ty1.mzML\t" + shared + "\n");
}

TEST(QuarrowRuns, RefusesWhatItCannotList) {
    TempDir dir;
    writeWholeFile(dir.file("file.mzML"), "");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string output;  // its start
    };
    const std::vector<Case> cases = {
        {{"--tsv", dir.file("none")}, 2, "quarrow-runs: cannot read the folder " + dir.file("none") + ": No such file"},
        {{"--tsv", dir.file("file.mzML")}, 2, "quarrow-runs: cannot read the folder " + dir.file("file.mzML") + ": Not a directory"},
        {{"--tsv"}, 2, "usage: quarrow-runs --tsv FOLDER | --help | --version\n"},
        {{"--tsv", dir.path(), "more"}, 2, "usage: "},
        {{dir.path()}, 2, "usage: "},
        {{"--help"}, 0, "usage: quarrow-runs --tsv FOLDER | --help | --version\nquarrow-runs --tsv FOLDER lists"},
        {{"--tsv", dir.path()}, 0, "run\tprogram\tpath\tsource\tproblem\nfile\tyepharvest\tfile.mzML\tfile.mzML\t\n"},
    };
    for (const Case& c : cases) {
        const ChildResult done = runs(c.arguments);
        EXPECT_EQ(done.exitStatus, c.status) << c.arguments.front() << ": " << done.output;
        EXPECT_EQ(done.output.substr(0, c.output.size()), c.output) << c.arguments.front();
    }
}

// The generator the end-to-end tests lean on ends with a message, instead of
// spinning, when it cannot create its file (compressed or not).
TEST(RunGenerator, AFileItCannotCreateEndsIt) {
    TempDir dir;
    for (const std::string gzip : {"--seed 1 ", "--gzip "}) {
        const ChildResult done = runProgram({"/usr/bin/timeout", "", {}, "", splitText("60 " RUNGEN_PATH " " + gzip +
            "--spectra 10 --output " + dir.file("none/x.mzML"), ' ')});
        EXPECT_EQ(done.exitStatus, 1) << gzip;
    }
}

}  // namespace
