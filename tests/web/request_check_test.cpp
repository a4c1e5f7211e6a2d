// The query a program gets from the launcher: only checked, canonical
// values, each key once, and the bytes of every other entry unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

#include "tests/support/temp_dir.h"
#include "web/launcher/request_check.h"
#include "web/launcher/request_query.h"

namespace fs = std::filesystem;

namespace {

class RequestCheck : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.file("data/sample7.d"));
        fs::create_directories(dir.file("results/given"));
        roots = {fs::canonical(dir.file("data")), fs::canonical(dir.file("results"))};
    }

    std::variant<Refusal, CheckedRequest> check(const std::vector<QueryEntry>& entries) {
        return checkRequest(entries, roots, [&](const std::string& run) -> std::optional<fs::path> {
            madeFor.push_back(run);
            if (!folderMakerWorks) return std::nullopt;
            return roots.results / (run + "-stamp");
        });
    }

    // The checked query, one "name=value" line per entry: the entries the
    // launcher does not check first, then the checked ones, each once.
    static std::string listed(const std::variant<Refusal, CheckedRequest>& result) {
        std::string text;
        if (!std::holds_alternative<CheckedRequest>(result)) return "refused";
        for (const QueryEntry& entry : std::get<CheckedRequest>(result).entries) text += entry.name + "=" + entry.value + "\n";
        return text;
    }

    TempDir dir;
    LaunchRoots roots;
    std::vector<std::string> madeFor;
    bool folderMakerWorks = true;
};

TEST_F(RequestCheck, RefusesWithTheRightStatus) {
    const QueryEntry run{"xtractorDataFilename", "sample7.d/Analysis.yep"};
    struct Case {
        std::vector<QueryEntry> entries;
        int status;
    };
    const std::vector<Case> cases = {
        {{}, 400},
        {{{"xtractorDataFilename", ""}}, 400},
        {{{"xtractorDataFilename", "/etc/passwd"}}, 403},
        // The programs apply the last occurrence, so that is the one checked.
        {{run, {"xtractorDataFilename", "../../etc/passwd"}}, 403},
        {{run, {"resultsXtractorDir", dir.file("data/")}}, 403},
        {{run, {"logFileDir", "given/../../"}}, 403},
        {{run, {"logFileDir", "given/"}, {"logFileDir", "/tmp/"}}, 403},
        {{run, {"specFeaturesFilename", "../features.txt"}}, 403},
        {{run, {"output_filename", "sub/page"}}, 403},
    };
    for (const Case& c : cases) {
        const auto result = check(c.entries);
        ASSERT_TRUE(std::holds_alternative<Refusal>(result)) << encodeQuery(c.entries);
        EXPECT_EQ(std::get<Refusal>(result).status, c.status) << encodeQuery(c.entries);
    }
    EXPECT_TRUE(madeFor.empty()) << "a refused request made a folder";
}

TEST_F(RequestCheck, FillsEmptyFoldersWithTheRequestFolder) {
    EXPECT_EQ(listed(check({{"xtractorDataFilename", "/etc/passwd"},
                            {"xtractorDataFilename", "sample7.d/Analysis.yep"},
                            {"resultsXtractorDir", ""},
                            {"autoCharge", "Find"}})),
              "autoCharge=Find\nxtractorDataFilename=" + (roots.data / "sample7.d/Analysis.yep").string() +
                  "\nresultsXtractorDir=" + (roots.results / "sample7-stamp/peaklists/").string() +
                  "\nlogFileDir=" + (roots.results / "sample7-stamp/logs/").string() + "\nspecFeaturesFilename=specFeatures.txt\n");
    EXPECT_EQ(madeFor, std::vector<std::string>{"sample7"});
}

// The programs glue a folder to file names without a separator: a folder
// named without its trailing "/" would put the logs beside it, outside the
// root when the folder is the root itself.
TEST_F(RequestCheck, GivenFoldersGetTheirSeparator) {
    EXPECT_EQ(listed(check({{"xtractorDataFilename", "sample7.d/Analysis.yep"},
                            {"resultsXtractorDir", "given"},
                            {"logFileDir", roots.results.string()}})),
              "xtractorDataFilename=" + (roots.data / "sample7.d/Analysis.yep").string() + "\nresultsXtractorDir=" +
                  (roots.results / "given/").string() + "\nlogFileDir=" + roots.results.string() +
                  "/\nspecFeaturesFilename=specFeatures.txt\n");
    EXPECT_TRUE(madeFor.empty());
}

TEST_F(RequestCheck, NoRequestFolderIsRefused) {
    folderMakerWorks = false;
    const auto result = check({{"xtractorDataFilename", "sample7.d/Analysis.yep"}});
    ASSERT_TRUE(std::holds_alternative<Refusal>(result));
    EXPECT_EQ(std::get<Refusal>(result).status, 500);
}

TEST(RunName, FromTheDataFile) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/d/sample7.d/Analysis.yep", "sample7"}, {"/d/run 1.mzML.gz", "run_1"},
        {"/d/mix.wiff", "mix"},                    {"/d/a;b&c.mzXML", "a_b_c"},
        {"/d/.hidden", ".hidden"},
    };
    for (const auto& [file, name] : cases) EXPECT_EQ(runNameOf(file), name) << file;
}

// Whatever bytes a form sends, the program's parser must give back exactly
// the entries the launcher checked.
TEST(EncodeQuery, ParsesBackToTheSameEntries) {
    const std::vector<QueryEntry> entries = {
        {"a", "b&c=d;e"}, {";first", "x"},          {"plus", "a+b c%41"}, {"", ""},
        {"pct", "%"},     {"utf", "m\xC3\xA9thode"}, {"eq", "=v"},       {"tilde-._~", "/path/x.d/Analysis.yep"},
    };
    const std::vector<QueryEntry> parsed = parse_query_entry(encodeQuery(entries));
    ASSERT_EQ(parsed.size(), entries.size()) << encodeQuery(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(parsed[i].name, entries[i].name) << i;
        EXPECT_EQ(parsed[i].value, entries[i].value) << i;
    }
}

}  // namespace
