// The launcher as the web server runs it: under a program's name, with the
// request variables only, the query as a POST body or in QUERY_STRING.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <regex>

#include "tests/support/work_folder.h"

namespace fs = std::filesystem;

namespace {

// cgi-bin/ with the launcher under both names, programs/ with yepharvest
// only, work/ holding the parameter files, data/ with one generated run.
class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"cgi-bin", "programs", "work", "data", "results"}) {
            fs::create_directory(dir.file(folder));
        }
        fs::create_symlink(LAUNCHER_PATH, dir.file("cgi-bin/yepharvest"));
        fs::create_symlink(LAUNCHER_PATH, dir.file("cgi-bin/wiffharvest"));
        fs::create_symlink(YEPHARVEST_PATH, dir.file("programs/yepharvest"));
        fs::copy(QUARROW_PARAMS_DIR, dir.file("work/msparams_quarrow"), fs::copy_options::recursive);
        runGenerator("--folder --output " + dir.file("data/sample7.d") + " --spectra 200 --seed 3");
    }

    ChildResult request(const std::string& program, const std::string& queryString, const std::string& body = "") {
        ProgramRun run;
        run.program = dir.file("cgi-bin/" + program);
        run.environment = {{"QUERY_STRING", queryString},
                           {"CONTENT_LENGTH", std::to_string(body.size())},
                           {"REQUEST_METHOD", body.empty() ? "GET" : "POST"},
                           {"QUARROW_DATA_ROOT", dir.file("data")},
                           {"QUARROW_RESULTS_ROOT", dir.file("results")},
                           {"QUARROW_PROGRAM_DIR", dir.file("programs")},
                           {"QUARROW_WORK_DIR", dir.file("work")}};
        run.standardInput = body;
        return runProgram(run);
    }

    std::vector<fs::path> resultFiles(const std::string& extension) const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir.file("results"))) {
            if (entry.path().extension() == extension) files.push_back(entry.path());
        }
        return files;
    }

    TempDir dir;
};

TEST_F(Launcher, PostedRunShowsProgressThenLinksEveryPeakList) {
    const ChildResult page = request("yepharvest", "", "xtractorDataFilename=sample7.d%2FAnalysis.yep&autoCharge=Find");
    EXPECT_EQ(page.exitStatus, 0);
    ASSERT_EQ(page.output.rfind("Content-Type: text/html\n\n", 0), 0u) << page.output.substr(0, 200);
    const std::size_t progress = page.output.find("<BR>Initialize extractor complete!");
    const std::size_t statistics = page.output.find("<BR>Run statistics calculated and output.");
    const std::size_t results = page.output.find("<section id=\"results\">");
    ASSERT_NE(progress, std::string::npos);
    ASSERT_NE(statistics, std::string::npos);
    EXPECT_LT(progress, statistics);
    EXPECT_LT(statistics, results);
    EXPECT_NE(page.output.find("yepharvest finished (exit status 0)"), std::string::npos);

    const std::vector<fs::path> peakLists = resultFiles(".pkl");
    ASSERT_FALSE(peakLists.empty());
    const fs::path root = fs::canonical(dir.file("results"));
    for (const fs::path& file : peakLists) {
        const std::string url = "/results/" + fs::canonical(file).lexically_relative(root).generic_string();
        EXPECT_NE(page.output.find("<a href=\"" + url + "\">"), std::string::npos) << url;
    }
    const std::regex link("href=\"/results/[^\"]+\\.pkl\"");
    EXPECT_EQ(static_cast<std::size_t>(std::distance(
                  std::sregex_iterator(page.output.begin(), page.output.end(), link), std::sregex_iterator())),
              peakLists.size());
    EXPECT_NE(page.output.find("numOutputFiles\t" + std::to_string(peakLists.size())), std::string::npos);
}

// Refused before anything runs (no folder is made), or run and failed: the
// status line, what the page says, and never a success.
TEST_F(Launcher, RefusedAndFailedRequestsSaySo) {
    const std::vector<std::array<std::string, 4>> cases = {
        {"yepharvest", "xtractorDataFilename=sample7.d/../../../etc/passwd", "Status: 403 Forbidden\nContent-Type: text/html\n\n",
         "lies outside the data root"},
        {"wiffharvest", "xtractorDataFilename=x.wiff", "Status: 503 Service Unavailable\n", "wiffharvest is not installed on this server"},
        {"yepharvest", "xtractorDataFilename=missing.d%2FAnalysis.yep", "Content-Type: text/html\n\n",
         "yepharvest ended with exit status 1"},
    };
    for (const auto& [program, query, start, text] : cases) {
        const bool runs = text.find("ended") != std::string::npos;
        const ChildResult page = request(program, query);
        EXPECT_EQ(fs::is_empty(dir.file("results")), !runs) << query;
        EXPECT_EQ(page.exitStatus, 0) << query;
        EXPECT_EQ(page.output.rfind(start, 0), 0u) << page.output;
        EXPECT_NE(page.output.find(text), std::string::npos) << page.output;
        EXPECT_EQ(page.output.find("finished (exit status 0)"), std::string::npos) << page.output;
    }
}

TEST_F(Launcher, WiffRunThroughTheLauncher) {
    fs::create_symlink(WIFFHARVEST_PATH, dir.file("programs/wiffharvest"));
    runGenerator("--sciex qtrap --spectra 60 --seed 2 --output " + dir.file("data/lysate3.wiff"));
    const ChildResult page = request("wiffharvest", "", "xtractorDataFilename=lysate3.wiff");
    EXPECT_NE(page.output.find("<BR>Assigned instrument type ESI-QTRAP.\n"), std::string::npos) << page.output;
    EXPECT_NE(page.output.find("wiffharvest finished (exit status 0)"), std::string::npos) << page.output;
    EXPECT_FALSE(resultFiles(".pkl").empty());
}

}  // namespace
