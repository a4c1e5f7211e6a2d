// What the form pages offer: each program's keys with their labels, defaults
// and ranges.
#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "web/launcher/form_page.h"
#include "tools/keys/key_values.h"

namespace {

TEST(RunCatalog, CysteineNamesInFileOrder) {
    const std::vector<std::string> names = cysteineNames(QUARROW_PARAMS_DIR "/cysteines.tsv");
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names.front(), "pyridylethylation");
    EXPECT_EQ(names.back(), "cICAT-mix");
}

// The front ends offer the names the programs accept: the column found by
// its header, comments and CR LF read as the programs read them.
TEST(RunCatalog, CysteineNamesAreReadAsTheProgramsReadThem) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"AAsymbol\tcysteineName\nc\tcarbamidomethyl\n# retired\nd\tpropionamide\n",
         {"carbamidomethyl", "propionamide"}},
        {"cysteineName\tAAsymbol\r\nacrylamide\tc\r\n", {"acrylamide"}},
        {"cysteineName\tAAsymbol\nacrylamide\n", {}},  // a short row: the programs refuse the file
        {"name\tAAsymbol\nacrylamide\tc\n", {}},
    };
    TempDir dir;
    for (const auto& [text, names] : cases) {
        writeWholeFile(dir.file("cysteines.tsv"), text);
        EXPECT_EQ(cysteineNames(dir.file("cysteines.tsv")), names) << text;
    }
    EXPECT_EQ(cysteineNames(dir.file("none.tsv")), std::vector<std::string>{});
}

std::string fieldOf(const std::string& page, const std::string& key) {
    const std::size_t at = page.find("id=\"" + key + "\" name=\"" + key + "\"");
    return at == std::string::npos ? "" : page.substr(page.rfind('<', at), page.find('>', at) - page.rfind('<', at) + 1);
}

TEST(FormPage, EachProgramItsKeysWithTheirDefaultsAndRanges) {
    struct Case {
        std::string program;
        bool chargeKeys;  // autoCharge and the other yepharvest-only keys
    };
    for (const Case& c : {Case{"yepharvest", true}, Case{"wiffharvest", false}}) {
        const std::string page =
            formPage({c.program, {"r.d/Analysis.yep"}, {"pyridylethylation", "ICAT-mix"}, "/d", "/r", "", {}}).html();
        EXPECT_NE(page.find("<form method=\"post\" action=\"/cgi-bin/" + c.program + "\""), std::string::npos);
        for (const char* key : {"autoCharge", "minMSsignalNoise", "chargeFromSurveyIsotopes", "lowCharge"}) {
            EXPECT_EQ(page.find("name=\"" + std::string(key) + "\"") != std::string::npos, c.chargeKeys) << key;
        }
        EXPECT_EQ(page.find("name=\"fragmentTolerance\""), std::string::npos) << "no stage reads it";
        EXPECT_EQ(fieldOf(page, "lastScan"), "<input id=\"lastScan\" name=\"lastScan\" type=\"number\" step=\"1\" "
                                             "min=\"0\" max=\"2147483647\" title=\"Range 0 - 2147483647\" required "
                                             "value=\"999999999\">");
        EXPECT_EQ(fieldOf(page, "parentTolerance"),
                  "<input id=\"parentTolerance\" name=\"parentTolerance\" type=\"number\" step=\"any\" "
                  "data-above=\"0\" max=\"1000\" title=\"Range above 0 up to 1000\" required value=\"0.5\">");
        // Every request gets its own new folders.
        EXPECT_EQ(page.find("name=\"resultsXtractorDir\""), std::string::npos);
        EXPECT_EQ(page.find("name=\"logFileDir\""), std::string::npos);
        EXPECT_NE(page.find("<option value=\"pyridylethylation\" selected>"), std::string::npos);
        EXPECT_NE(page.find("<option value=\"mgf\" selected>"), std::string::npos) << "search engines read MGF";
        EXPECT_NE(page.find("<option value=\"r.d/Analysis.yep\">"), std::string::npos);
        // The label for people, the key's name beside it, the help in the
        // command line's words.
        EXPECT_NE(page.find(">Merging window (scans) <code>groupScans</code></label>"), std::string::npos);
        EXPECT_NE(page.find("Default: 999999999; the programs alone: 9999; range 0 - 2147483647."), std::string::npos);
        // Rarely changed keys are folded away, closed.
        const std::size_t fold = page.find("<details id=\"advanced\">");
        ASSERT_NE(fold, std::string::npos);
        EXPECT_GT(page.find("name=\"peakLimitCount\""), fold);
        EXPECT_LT(page.find("name=\"groupScans\""), fold);
    }
    const std::string yep = formPage({"yepharvest", {}, {}, "/d", "/r", "", {}}).html();
    EXPECT_NE(yep.find("<option value=\"Find\" selected>Find each charge</option>"), std::string::npos);
}

// "Run again": a request's settings, the folded part open when one of its
// keys was changed, and every text escaped.
TEST(FormPage, StartsFromARequestsSettings) {
    const std::string page =
        formPage({"yepharvest", {}, {"pyridylethylation"}, "/d", "/r", "run<1>",
                  {{"xtractorDataFilename", "a\"b.d/Analysis.yep"}, {"peakLimitCount", "40"}, {"cys", "ICAT-mix"}}})
            .html();
    EXPECT_NE(page.find("The settings of request run&lt;1&gt;"), std::string::npos);
    EXPECT_NE(page.find("value=\"a&quot;b.d/Analysis.yep\">"), std::string::npos);
    EXPECT_NE(page.find("value=\"40\">"), std::string::npos);
    EXPECT_NE(page.find("<details id=\"advanced\" open>"), std::string::npos);
    EXPECT_NE(page.find("<option value=\"ICAT-mix\" selected>"), std::string::npos);
    EXPECT_EQ(page.find("run<1>"), std::string::npos);
}

}  // namespace
