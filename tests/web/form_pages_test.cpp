// What the form pages offer: the runs found under the data root for each
// program, and each program's own keys with their defaults.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"
#include "web/launcher/form_page.h"
#include "web/launcher/run_catalog.h"

namespace fs = std::filesystem;

namespace {

TEST(RunCatalog, FindsEachProgramsRuns) {
    TempDir dir;
    for (const char* file : {"a.d/Analysis.mzML", "lab/b.d/Analysis.mzXML.gz", "lab/c.mzML", "empty.d/notes.txt",
                             "wiff/mix.wiff", "wiff/q1-s1.mzML", "wiff/q1-s2.mzML", "wiff/q2.mzML.gz", "x.txt"}) {
        fs::create_directories(fs::path(dir.file(file)).parent_path());
        writeWholeFile(dir.file(file), "");
    }
    EXPECT_EQ(findRuns(dir.path(), "yepharvest"),
              (std::vector<std::string>{"a.d/Analysis.yep", "lab/b.d/Analysis.yep", "lab/c.mzML", "wiff/q1-s1.mzML",
                                        "wiff/q1-s2.mzML", "wiff/q2.mzML.gz"}));
    EXPECT_EQ(findRuns(dir.path(), "wiffharvest"),
              (std::vector<std::string>{"lab/c.wiff", "wiff/mix.wiff", "wiff/q1.wiff", "wiff/q2.wiff"}));
}

TEST(RunCatalog, CysteineNamesInFileOrder) {
    const std::vector<std::string> names = cysteineNames(QUARROW_PARAMS_DIR "/cysteines.tsv");
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names.front(), "pyridylethylation");
    EXPECT_EQ(names.back(), "cICAT-mix");
}

TEST(FormPage, EachProgramItsKeysAndTarget) {
    struct Case {
        std::string program;
        bool chargeKeys;  // autoCharge and the other yepharvest-only keys
    };
    for (const Case& c : {Case{"yepharvest", true}, Case{"wiffharvest", false}}) {
        const std::string page = formPage({c.program, {"r.d/Analysis.yep"}, {"pyridylethylation", "ICAT-mix"}, "/d", "/r"});
        EXPECT_NE(page.find("<form method=\"post\" action=\"/cgi-bin/" + c.program + "\""), std::string::npos);
        EXPECT_EQ(page.find("name=\"autoCharge\"") != std::string::npos, c.chargeKeys) << c.program;
        EXPECT_EQ(page.find("name=\"minMSsignalNoise\"") != std::string::npos, c.chargeKeys) << c.program;
        EXPECT_EQ(page.find("name=\"chargeFromSurveyIsotopes\"") != std::string::npos, c.chargeKeys) << c.program;
        EXPECT_NE(page.find("name=\"lastScan\" value=\"999999999\""), std::string::npos) << c.program;
        EXPECT_NE(page.find("<option value=\"pyridylethylation\" selected>"), std::string::npos) << c.program;
        EXPECT_NE(page.find("name=\"parentTolerance\" value=\"0.5\""), std::string::npos) << c.program;
        EXPECT_NE(page.find("<option value=\"r.d/Analysis.yep\">"), std::string::npos) << c.program;
    }
}

}  // namespace
