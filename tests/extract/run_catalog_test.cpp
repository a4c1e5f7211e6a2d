// What a run is under a folder, for every front end: each kind of run with
// the path its program is given and the file it was found by, the scope of
// the search, and the names that cannot share one results folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "frontend/run_batch.h"
#include "frontend/run_catalog.h"
#include "frontend/run_listing.h"

namespace fs = std::filesystem;

namespace {

// An export holding a .wiff file's spectrum ids, as the converter writes it.
std::string sciexExport(const std::string& sample) {
    return "<mzML><run><sample id=\"s\" name=\"" + sample +
           "\"/><spectrum id=\"sample=1 period=1 cycle=1 experiment=1\"/></run></mzML>";
}

void writeFiles(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [file, text] : files) {
        fs::create_directories(fs::path(dir.file(file)).parent_path());
        writeWholeFile(dir.file(file), text);
    }
}

TEST(RunCatalog, EachKindOfRunWithItsProgramPathAndSource) {
    TempDir dir;
    writeFiles(dir, {
        {"a.d/Analysis.mzML", ""},
        {"lab/b.d/Analysis.mzXML.gz", ""},
        {"lab/c.mzML", "<mzML><spectrum id=\"scan=1\"/></mzML>"},
        {"empty.d/notes.txt", ""},  // no export: nothing a program could read
        {"x.txt", ""},
        // Beside mix.wiff its exports are its samples, whatever they hold.
        {"wiff/mix.wiff", ""},
        {"wiff/mix-Sample1.mzML", ""},
        {"wiff/mix.mzML", sciexExport("Sample1")},
        {"wiff/upper.WIFF", ""},
        {"wiff/upper-A.mzXML", ""},
        // Without their .wiff file, exports with its ids stand for it, found by the first.
        {"wiff/q1-Lysate B.mzML", sciexExport("Lysate B")},
        {"wiff/q1-Lysate A.mzML", sciexExport("Lysate A")},
        {"wiff/q2.mzML", sciexExport("only")},
        {"wiff/q3-rerun.mzML", sciexExport("first")},  // not its sample's name: the whole base is the run
        {"wiff/mixture.mzML", ""},                     // mix's name is no prefix of it
    });
    const std::vector<CatalogRun> expected = {
        {"a", Program::yepharvest, "a.d/Analysis.yep", "a.d"},
        {"b", Program::yepharvest, "lab/b.d/Analysis.yep", "lab/b.d"},
        {"c", Program::yepharvest, "lab/c.mzML", "lab/c.mzML"},
        {"mix", Program::wiffharvest, "wiff/mix.wiff", "wiff/mix.wiff"},
        {"mixture", Program::yepharvest, "wiff/mixture.mzML", "wiff/mixture.mzML"},
        {"q1", Program::wiffharvest, "wiff/q1.wiff", "wiff/q1-Lysate A.mzML"},
        {"q2", Program::wiffharvest, "wiff/q2.wiff", "wiff/q2.mzML"},
        {"q3-rerun", Program::wiffharvest, "wiff/q3-rerun.wiff", "wiff/q3-rerun.mzML"},
        {"upper", Program::wiffharvest, "wiff/upper.WIFF", "wiff/upper.WIFF"},
    };
    EXPECT_EQ(catalogRuns(dir.path()), expected);
    // The picker: each program only its own paths, in the same order.
    EXPECT_EQ(findRuns(dir.path(), Program::yepharvest),
              (std::vector<std::string>{"a.d/Analysis.yep", "lab/b.d/Analysis.yep", "lab/c.mzML", "wiff/mixture.mzML"}));
    EXPECT_EQ(findRuns(dir.path(), Program::wiffharvest), (std::vector<std::string>{"wiff/mix.wiff", "wiff/q1.wiff",
                                                                             "wiff/q2.wiff", "wiff/q3-rerun.wiff",
                                                                             "wiff/upper.WIFF"}));
}

TEST(RunCatalog, LinksAreFollowedOnlyInsideTheFolderAndEachRunIsListedOnce) {
    TempDir outside;
    writeFiles(outside, {{"far.d/Analysis.mzML", ""}, {"far.mzML", ""}});
    TempDir dir;
    writeFiles(dir, {{"in/near.d/Analysis.mzML", ""}, {"in/deep/x.mzML", ""}});
    fs::create_directory_symlink(outside.path(), dir.file("out"));
    fs::create_symlink(outside.file("far.mzML"), dir.file("far.mzML"));
    // A folder inside is searched where it lies: not again through a link,
    // nor round and round through a loop.
    fs::create_directory_symlink("in", dir.file("again"));
    fs::create_directory_symlink("..", dir.file("in/deep/up"));
    fs::create_directory_symlink(".", dir.file("in/here"));
    // A link named as a run folder is that run.
    fs::create_directory_symlink("in/near.d", dir.file("alias.d"));
    EXPECT_EQ(catalogRuns(dir.path()), (std::vector<CatalogRun>{
                                           {"alias", Program::yepharvest, "alias.d/Analysis.yep", "alias.d"},
                                           {"x", Program::yepharvest, "in/deep/x.mzML", "in/deep/x.mzML"},
                                           {"near", Program::yepharvest, "in/near.d/Analysis.yep", "in/near.d"},
                                       }));
}

// What no program can read or take is never opened (a FIFO would hold the
// search for good, so the search runs in a child that an alarm ends) and
// never listed, or is listed with why it cannot run; names and ids in the
// exports are read as XML.
TEST(RunCatalog, WhatCannotBeReadIsPassedOverAndExportsAreReadAsXml) {
    TempDir dir;
    writeFiles(dir, {
        {"ok.mzML", ""},
        {"Upper.D/analysis.mzML", ""},      // a run folder in any letter case, its export too
        {"lower.d/ANALYSIS.MZXML.GZ", ""},
        {"back\\slash.mzML", ""},           // the programs would split it
        {".mzML", ""},                       // an ending alone: no run
        // The sample's name is decoded: the export beside is its .wiff file's.
        {"q-a&b.mzML", sciexExport("a&amp;b")},
        {"r-x>y.mzML", sciexExport("x>y")},
        // Sciex ids in a sample's name make no Sciex export.
        {"plain.mzML", "<mzML><run><sample id=\"s\" name=\"sample=1 period=1 cycle=1 experiment=1\"/>"
                       "<spectrum id=\"scan=1\"/></run></mzML>"},
        {"cdata.mzML", "<mzML><!-- sample=1 period=1 cycle=1 experiment=1 --><run><spectrum id=\"index=1\"/></run></mzML>"},
    });
    ASSERT_EQ(::mkfifo(dir.file("fifo.mzML").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(dir.file("pipe.wiff").c_str(), 0644), 0);
    fs::create_symlink("nowhere.mzML", dir.file("dangling.mzML"));
    fs::create_symlink("loop2.mzML", dir.file("loop1.mzML"));
    fs::create_symlink("loop1.mzML", dir.file("loop2.mzML"));
    fs::create_directory_symlink(".", dir.file("self"));
    const ChildResult listed = runInChild([&] {
        ::alarm(60);
        const std::vector<CatalogRun> runs = catalogRuns(dir.path());
        const std::string text = runsTsv(runs, batchProblems(runs, "F"));
        std::fwrite(text.data(), 1, text.size(), stdout);
    });
    ASSERT_EQ(listed.exitStatus, 0) << "the search did not end: " << listed.output;
    EXPECT_EQ(listed.output,
              "run\tprogram\tpath\tsource\tproblem\n"
              "Upper\tyepharvest\tUpper.D/Analysis.yep\tUpper.D\t\n"
              "slash\tyepharvest\tback\\\\slash.mzML\tback\\\\slash.mzML\tits path holds a backslash, which the programs "
              "take for a folder separator (as Windows paths have it)\n"
              "cdata\tyepharvest\tcdata.mzML\tcdata.mzML\t\n"
              "lower\tyepharvest\tlower.d/Analysis.yep\tlower.d\t\n"
              "ok\tyepharvest\tok.mzML\tok.mzML\t\n"
              "plain\tyepharvest\tplain.mzML\tplain.mzML\t\n"
              "q\twiffharvest\tq.wiff\tq-a&b.mzML\t\n"
              "r\twiffharvest\tr.wiff\tr-x>y.mzML\t\n");
}

// A path named by itself is read by the rules the catalogue finds runs by.
TEST(RunCatalog, APathNamedByItselfIsTheRunTheCatalogueWouldFind) {
    TempDir dir;
    writeFiles(dir, {{"a.d/Analysis.mzML", ""}, {"B.D/analysis.mzxml.gz", ""}, {"c.mzML", ""},
                     {"w-S1.mzML", sciexExport("S1")}, {"runs/x.mzML", ""}});
    const auto named = [&](const std::string& path) { return runOfNamedPath(dir.file(path)); };
    const std::vector<std::tuple<std::string, std::string, Program, std::string>> cases = {
        // named, run, program, data file
        {"a.d", "a", Program::yepharvest, "a.d/Analysis.yep"},
        {"a.d/", "a", Program::yepharvest, "a.d/Analysis.yep"},
        {"a.d/Analysis.mzML", "a", Program::yepharvest, "a.d/Analysis.yep"},
        {"a.d/Analysis.yep", "a", Program::yepharvest, "a.d/Analysis.yep"},
        {"B.D/analysis.mzxml.gz", "B", Program::yepharvest, "B.D/Analysis.yep"},
        {"missing.d", "missing", Program::yepharvest, "missing.d/Analysis.yep"},
        {"c.mzML", "c", Program::yepharvest, "c.mzML"},
        {"w-S1.mzML", "w", Program::wiffharvest, "w.wiff"},
        {"v.wiff", "v", Program::wiffharvest, "v.wiff"},
        {"other.raw", "other", Program::yepharvest, "other.raw"},
    };
    for (const auto& [path, name, program, data] : cases) {
        const std::optional<CatalogRun> run = named(path);
        ASSERT_TRUE(run.has_value()) << path;
        EXPECT_EQ(run->name, name) << path;
        EXPECT_EQ(run->program, program) << path;
        EXPECT_EQ(run->path, dir.file(data)) << path;
        EXPECT_EQ(run->source, dir.file(path)) << path;
    }
    EXPECT_FALSE(named("runs").has_value());
}

// What must be there before a program starts, never opened to find out.
TEST(RunCatalog, ARunThatIsNotThereOrNoRegularFileIsMissing) {
    TempDir dir;
    writeFiles(dir, {{"ok.mzML", ""}, {"s.d/Analysis.mzML", ""}, {"empty.d/x.txt", ""}, {"w-1.mzML", ""},
                     {"folder.mzML/x", ""}});
    ASSERT_EQ(::mkfifo(dir.file("fifo.mzML").c_str(), 0644), 0);
    fs::create_symlink("nowhere.mzML", dir.file("dangling.mzML"));
    fs::create_symlink("loop.mzML", dir.file("loop.mzML"));
    const std::vector<std::tuple<Program, std::string, std::string>> cases = {
        {Program::yepharvest, "ok.mzML", ""},
        {Program::yepharvest, "s.d/Analysis.yep", ""},
        {Program::wiffharvest, "w.wiff", ""},
        {Program::yepharvest, "none.mzML", "there is no such file here."},
        {Program::yepharvest, "dangling.mzML", "there is no such file here."},
        {Program::yepharvest, "loop.mzML", "loop.mzML cannot be reached: Too many levels of symbolic links."},
        {Program::yepharvest, "fifo.mzML", "fifo.mzML is not a regular file (a FIFO, a device or a socket), which no program reads."},
        {Program::yepharvest, "folder.mzML", "folder.mzML is not a regular file (a folder), which no program reads."},
        {Program::yepharvest, "none.d/Analysis.yep", "there is no run folder none.d here."},
        {Program::yepharvest, "empty.d/Analysis.yep", "the run folder empty.d holds no run export"},
        {Program::wiffharvest, "v.wiff", "no export of it lies beside it here (v.mzML, "},
    };
    for (const auto& [program, data, problem] : cases) {
        const ChildResult got = runInChild([&] {
            ::alarm(60);
            const std::optional<std::string> missing = missingRun(program, dir.file(data), dir.path(), " here");
            std::fputs(missing.value_or("").c_str(), stdout);
        });
        ASSERT_EQ(got.exitStatus, 0) << data;
        EXPECT_EQ(got.output.substr(0, problem.size()), problem) << data << ": " << got.output;
        EXPECT_EQ(got.output.empty(), problem.empty()) << data << ": " << got.output;
    }
}

TEST(RunCatalog, DepthAndCountBoundTheSearch) {
    TempDir dir;
    writeFiles(dir, {{"1/2/3/4/five.mzML", ""}, {"1/2/3/4/5/six.mzML", ""}, {"top.mzML", ""}, {"z.wiff", ""}});
    const auto names = [&](const CatalogScope& scope) {
        std::vector<std::string> found;
        for (const CatalogRun& run : catalogRuns(dir.path(), scope)) found.push_back(run.name);
        return found;
    };
    const std::vector<std::pair<CatalogScope, std::vector<std::string>>> cases = {
        {{}, {"five", "top", "z"}},
        {{.maxDepth = 1}, {"top", "z"}},
        {{.maxDepth = 6}, {"six", "five", "top", "z"}},  // sorted by path
        {{.maxDepth = 0}, {}},
        // The search stops at the limit, folders first.
        {{.maxDepth = 6, .maxRuns = 2}, {"six", "five"}},
        {{.maxDepth = 6, .maxRuns = 3}, {"six", "five", "z"}},
    };
    for (const auto& [scope, expected] : cases) {
        EXPECT_EQ(names(scope), expected) << scope.maxDepth << " " << scope.maxRuns;
    }
}

TEST(RunCatalog, AFolderThatCannotBeReadIsAnErrorForTheCatalogueAndEmptyForThePicker) {
    TempDir dir;
    writeFiles(dir, {{"file.mzML", ""}});
    for (const std::string& folder : {dir.file("none"), dir.file("file.mzML")}) {
        EXPECT_THROW(catalogRuns(folder), fs::filesystem_error) << folder;
        EXPECT_EQ(findRuns(folder, Program::yepharvest), std::vector<std::string>{}) << folder;
    }
}

TEST(RunBatch, NamesThatCannotShareOneResultsFolder) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"-lead", ""}, {"quo\"te's", ""}, {"sp  ace", ""}, {"\xc3\xbcn\xc3\xaf", ""}, {"a;b&c$(x)", ""}, {"...", ""},
        {"", "cannot be a folder"}, {".", "cannot be a folder"}, {"..", "cannot be a folder"},
        {"new\nline", "control character"}, {"tab\tin", "control character"}, {"del\x7f", "control character"},
        {"latin\xfc", "not UTF-8"}, {"over\xc0\xaf", "not UTF-8"}, {"cut\xe2\x82", "not UTF-8"},
        {"surrogate\xed\xa0\x80", "not UTF-8"},
    };
    for (const auto& [name, problem] : names) {
        const std::string said = runNameProblem(name);
        EXPECT_EQ(said.empty(), problem.empty()) << name << ": " << said;
        EXPECT_NE(said.find(problem), std::string::npos) << name << ": " << said;
    }
    const std::vector<CatalogRun> runs = {{"s7", Program::yepharvest, "s7.d/Analysis.yep", "s7.d"},
                                          {"s7", Program::yepharvest, "s7.mzML", "s7.mzML"},
                                          {"s8", Program::yepharvest, "s8.mzML", "s8.mzML"},
                                          {"..", Program::yepharvest, "...d/Analysis.yep", "...d"}};
    const std::string shared = "another run of /runs is named s7 too, and the run name prefixes every peak list and log row";
    EXPECT_EQ(batchProblems(runs, "/runs"),
              (std::vector<std::string>{shared, shared, "", "its name cannot be a folder of its own"}));
}

TEST(RunListing, EveryFieldStaysOneFieldOnOneLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain name-1.d", "plain name-1.d"}, {"a\tb\nc\rd", "a\\tb\\nc\\rd"}, {"back\\slash", "back\\\\slash"},
        {std::string("nul\0bell\x07" "del\x7f", 13), "nul\\x00bell\\x07del\\x7f"}, {"\xc3\xbc", "\xc3\xbc"},
    };
    for (const auto& [text, field] : cases) EXPECT_EQ(tsvField(text), field) << text;
    EXPECT_EQ(runsTsv({{"a\tb", Program::yepharvest, "a\tb.d/Analysis.yep", "a\tb.d"}, {"w", Program::wiffharvest, "w.wiff", "w.mzML"}},
                      {"holds a tab", ""}),
              "run\tprogram\tpath\tsource\tproblem\n"
              "a\\tb\tyepharvest\ta\\tb.d/Analysis.yep\ta\\tb.d\tholds a tab\n"
              "w\twiffharvest\tw.wiff\tw.mzML\t\n");
}

}  // namespace
