// What a run is under a folder, for every front end: each kind of run with
// the path its program is given and the file it was found by, the scope of
// the search, and the names that cannot share one results folder.
#include <gtest/gtest.h>

#include <filesystem>

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

TEST(RunCatalog, LinksAreFollowedOnlyInsideTheFolder) {
    TempDir outside;
    writeFiles(outside, {{"far.d/Analysis.mzML", ""}, {"far.mzML", ""}});
    TempDir dir;
    writeFiles(dir, {{"in/near.d/Analysis.mzML", ""}});
    fs::create_directory_symlink(outside.path(), dir.file("out"));
    fs::create_symlink(outside.file("far.mzML"), dir.file("far.mzML"));
    fs::create_directory_symlink("in", dir.file("again"));
    EXPECT_EQ(catalogRuns(dir.path()), (std::vector<CatalogRun>{
                                           {"near", Program::yepharvest, "again/near.d/Analysis.yep", "again/near.d"},
                                           {"near", Program::yepharvest, "in/near.d/Analysis.yep", "in/near.d"},
                                       }));
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
