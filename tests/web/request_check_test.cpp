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

    static std::string value(const CheckedRequest& request, const std::string& key) {
        std::string found;
        int count = 0;
        for (const QueryEntry& entry : request.entries) {
            if (entry.name == key) {
                found = entry.value;
                ++count;
            }
        }
        EXPECT_LE(count, 1) << key;
        return found;
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
    const auto result = check({{"xtractorDataFilename", "/etc/passwd"},
                               {"xtractorDataFilename", "sample7.d/Analysis.yep"},
                               {"resultsXtractorDir", ""},
                               {"autoCharge", "Find"}});
    ASSERT_TRUE(std::holds_alternative<CheckedRequest>(result));
    const CheckedRequest& request = std::get<CheckedRequest>(result);
    EXPECT_EQ(madeFor, std::vector<std::string>{"sample7"});
    EXPECT_EQ(value(request, "xtractorDataFilename"), (roots.data / "sample7.d/Analysis.yep").string());
    EXPECT_EQ(value(request, "resultsXtractorDir"), (roots.results / "sample7-stamp/peaklists/").string());
    EXPECT_EQ(value(request, "logFileDir"), (roots.results / "sample7-stamp/logs/").string());
    EXPECT_EQ(value(request, "specFeaturesFilename"), "specFeatures.txt");
    EXPECT_EQ(value(request, "autoCharge"), "Find");
}

// The programs glue a folder to file names without a separator: a folder
// named without its trailing "/" would put the logs beside it, outside the
// root when the folder is the root itself.
TEST_F(RequestCheck, GivenFoldersGetTheirSeparator) {
    const auto result = check({{"xtractorDataFilename", "sample7.d/Analysis.yep"},
                               {"resultsXtractorDir", "given"},
                               {"logFileDir", roots.results.string()}});
    ASSERT_TRUE(std::holds_alternative<CheckedRequest>(result));
    const CheckedRequest& request = std::get<CheckedRequest>(result);
    EXPECT_TRUE(madeFor.empty());
    EXPECT_EQ(value(request, "resultsXtractorDir"), (roots.results / "given/").string());
    EXPECT_EQ(value(request, "logFileDir"), roots.results.string() + "/");
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
