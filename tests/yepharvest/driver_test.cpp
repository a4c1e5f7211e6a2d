// The yepharvest program as a web server starts it: its progress lines, its
// error page and its exit status.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

ChildResult runYepharvest(const TempDir& dir, std::map<std::string, std::string> environment,
                          const std::string& body = "") {
    ProgramRun run;
    run.program = YEPHARVEST_PATH;
    run.workingDirectory = dir.path();
    run.environment = std::move(environment);
    run.standardInput = body;
    return runProgram(run);
}

TEST(YepharvestDriver, WithoutAQueryPrintsTheErrorPage) {
    TempDir dir;
    dir.installParameterFiles();
    const ChildResult r = runYepharvest(dir, {});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output,
              "\n<html>\n<head>\n<TITLE>Velmora Quarrow - Error Message</TITLE>"
              "\n<link rel=\"stylesheet\" href=\"/quarrowhtml/vqrforms.css\" type=\"text/css\"  />"
              "\n<link rel=\"stylesheet\" href=\"/quarrowhtml/vqrsumprint.css\" type=\"text/css\"  media=\"print\" />"
              "\n</head>\n<BODY Id=\"ResRev\" >\n<H2 ALIGN=center >Error Message</H2><HR />"
              "Neither of the environment variables QUERY_STRING or CONTENT_LENGTH has been defined.\n<BR>"
              "Function: query.\n<BR></BODY>");
}

TEST(YepharvestDriver, UnreadableRunStillWalksEveryStageAndFails) {
    TempDir dir;
    dir.installParameterFiles();
    const std::string logs = dir.path() + "/";
    const ChildResult r = runYepharvest(
        dir, {{"QUERY_STRING", "xtractorDataFilename=/nowhere/x.d/Analysis.yep&specFeaturesFilename=f.txt&logFileDir=" + logs +
                                   "&resultsXtractorDir=" + logs}});
    EXPECT_EQ(r.exitStatus, 1);
    const std::vector<std::string> progress = {
        "<BR>Initialize extractor complete! \n",
        "<BR>Data read into memory. \n",
        "<BR>Nearby MS/MS spectra with same precursor merged. \n",
        "<BR>Precursor charges determined. \n",
        "<BR>Spectra filtered. \n",
        "<BR>Created spectral files.\n",
        "<BR>Run statistics calculated and output. \n",
    };
    std::size_t at = 0;
    for (const std::string& line : progress) {
        const std::size_t found = r.output.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\nin:\n" << r.output;
        at = found + line.size();
    }
    EXPECT_EQ(r.output.substr(r.output.size() - progress.back().size()), progress.back());
}

TEST(YepharvestDriver, PostBodyIsReadWhenQueryStringIsEmpty) {
    TempDir dir;
    dir.installParameterFiles();
    const std::string body = "xtractorDataFilename=/nowhere/y.d/Analysis.yep&specFeaturesFilename=f.txt&logFileDir=" + dir.path() + "/";
    const ChildResult r = runYepharvest(dir, {{"QUERY_STRING", ""}, {"CONTENT_LENGTH", std::to_string(body.size())}}, body);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output.rfind("<BR>Initialize extractor complete! \n", 0), 0u) << r.output;
}

TEST(YepharvestDriver, PeakPickerModeOpensTheResultsPageAndTheLogs) {
    TempDir dir;
    dir.installParameterFiles();
    const ChildResult r = runYepharvest(
        dir, {{"QUERY_STRING", "xtractorDataFilename=/nowhere/z.d/Analysis.yep&specFeaturesFilename=f.txt&logFileDir=" +
                                   dir.path() + "/&resultsXtractorDir=" + dir.path() +
                                   "&xtractorMode=Peak-Picker&output_filename=page"}});
    EXPECT_EQ(r.exitStatus, 1);  // the run cannot be read
    EXPECT_TRUE(fileExists(dir.file("page.htm")));
    for (const char* log : {"f.txt", "xtractorRejectReasons.txt", "parentChargeCheck.txt", "runStats.txt"}) {
        EXPECT_TRUE(fileExists(dir.file(log))) << log;
    }
}

}  // namespace

namespace {

// Values the start-up used to accept and a stage then looped, overflowed or
// wrapped on; each one now gets the error page before anything is read.
TEST(YepharvestDriver, NumericValuesOutsideTheirRangeGetTheErrorPage) {
    TempDir dir;
    dir.installParameterFiles();
    const std::string rest = "&xtractorDataFilename=/nowhere/q.d/Analysis.yep&specFeaturesFilename=f.txt&logFileDir=" +
                             dir.path() + "/&resultsXtractorDir=" + dir.path() + "/";
    struct Case {
        std::string query;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"maxCharge=2147483647&autoCharge=Find", "The value 2147483647 of the query key maxCharge is outside its range 1 - 9."},
        {"groupScans=2147483000", "The value 2147483000 of the query key groupScans is outside its range 0 - 10000."},
        {"lowCharge=-2147483648&highCharge=-2147483648",
         "The value -2147483648 of the query key lowCharge is outside its range 0 - 9."},
        {"parentTolerance=1e999", "The value 1e999 of the query key parentTolerance is outside its range above 0 up to 1000."},
        {"maxCharge=5&maxCharge=%3Cb%3E", "The value &lt;b&gt; of the query key maxCharge is outside its range 1 - 9."},
    };
    for (const Case& c : cases) {
        const ChildResult r = runYepharvest(dir, {{"QUERY_STRING", c.query + rest}});
        EXPECT_EQ(r.exitStatus, 1) << c.query;
        EXPECT_NE(r.output.find(std::string("<H2 ALIGN=center >Error Message</H2><HR />") + c.message + "\n<BR></BODY>"),
                  std::string::npos)
            << c.query << "\n" << r.output;
    }
    // The ends of the ranges and an absent key are accepted.
    const ChildResult r = runYepharvest(
        dir, {{"QUERY_STRING", "maxCharge=9&groupScans=0&lastScan=2147483647&lowCharge=0&highCharge=9" + rest}});
    EXPECT_EQ(r.output.rfind("<BR>Initialize extractor complete! \n", 0), 0u) << r.output;
}

// Query text reaches the page through a fatal message and through the
// reader's error lines; neither may open a tag.
TEST(YepharvestDriver, QueryTextIsEscapedOnThePage) {
    TempDir dir;
    dir.installParameterFiles();
    const std::string logs = dir.path() + "/";
    const std::vector<std::string> queries = {
        "xtractorDataFilename=/nowhere/a.d/Analysis.yep&specFeaturesFilename=f.txt&logFileDir=/nowhere/%3Cscript%3E/",
        "xtractorDataFilename=/nowhere/%3Cscript%3E.d/Analysis.yep&specFeaturesFilename=f.txt&logFileDir=" + logs +
            "&resultsXtractorDir=" + logs,
        "cys=%3Cscript%3E&logFileDir=" + logs,
    };
    for (const std::string& query : queries) {
        const ChildResult r = runYepharvest(dir, {{"QUERY_STRING", query}});
        EXPECT_EQ(r.exitStatus, 1) << query;
        EXPECT_NE(r.output.find("&lt;script&gt;"), std::string::npos) << query << "\n" << r.output;
        EXPECT_EQ(r.output.find("<script>"), std::string::npos) << query << "\n" << r.output;
    }
}

}  // namespace
