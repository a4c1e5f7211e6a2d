// What the form pages offer: each program's keys with their labels, defaults
// and ranges.
#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "web/launcher/form_page.h"
#include "frontend/key_values.h"
#include "frontend/run_catalog.h"
#include "frontend/root_runs.h"

namespace fs = std::filesystem;

namespace {

// An export holding a .wiff file's spectrum ids, as the converter writes it.
std::string sciexExport(const std::string& sample) {
    return "<mzML><run><sample id=\"s\" name=\"" + sample +
           "\"/><spectrum id=\"sample=1 period=1 cycle=1 experiment=1\"/></run></mzML>";
}

TEST(RunChoice, ThePickerShowsWhatExistsAndTheProgramGetsItsPath) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.d/Analysis.mzML", ""},
        {"lab/b.d/Analysis.mzXML.gz", ""},
        {"lab/c.mzML", "<mzML><spectrum id=\"scan=1\"/></mzML>"},
        {"empty.d/notes.txt", ""},
        {"x.txt", ""},
        // Beside mix.wiff its exports are its samples, whatever they hold.
        {"wiff/mix.wiff", ""},
        {"wiff/mix-Sample1.mzML", ""},
        {"wiff/mix.mzML", ""},
        // Without their .wiff file, exports with its ids stand for it.
        {"wiff/q1-Lysate A.mzML", sciexExport("Lysate A")},
        {"wiff/q1-Lysate B.mzML", sciexExport("Lysate B")},
        {"wiff/q2.mzML", sciexExport("only")},
        {"wiff/q3-rerun.mzML", sciexExport("first")},
    };
    for (const auto& [file, text] : files) {
        fs::create_directories(fs::path(dir.file(file)).parent_path());
        writeWholeFile(dir.file(file), text);
    }
    fs::create_directory_symlink("/tmp", dir.file("lab/outside"));
    EXPECT_EQ(findRuns(dir.path(), Program::yepharvest),
              (std::vector<std::string>{"a.d/Analysis.yep", "lab/b.d/Analysis.yep", "lab/c.mzML"}));
    EXPECT_EQ(findRuns(dir.path(), Program::wiffharvest),
              (std::vector<std::string>{"wiff/mix.wiff", "wiff/q1.wiff", "wiff/q2.wiff", "wiff/q3-rerun.wiff"}));

    // The picker offers what exists; the launcher gives the program back the
    // path the catalogue has, also for another export of the same .wiff file.
    const fs::path root = fs::canonical(dir.path());
    struct Case {
        Program program;
        std::vector<std::string> shown;
    };
    for (const Case& c : {Case{Program::yepharvest, {"a.d", "lab/b.d", "lab/c.mzML"}},
                          Case{Program::wiffharvest, {"wiff/mix.wiff", "wiff/q1-Lysate A.mzML", "wiff/q2.mzML",
                                               "wiff/q3-rerun.mzML"}}}) {
        const std::vector<std::string> shown = runsToPick(root, c.program);
        const std::vector<std::string> given = findRuns(root, c.program);
        EXPECT_EQ(shown, c.shown);
        ASSERT_EQ(shown.size(), given.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(fs::exists(root / shown[i])) << shown[i];
            EXPECT_EQ(programDataFile(c.program, root / shown[i]), root / given[i]) << shown[i];
            EXPECT_EQ(shownRun(root, given[i]), shown[i]);
        }
    }
    const std::vector<std::pair<std::string, std::string>> others = {
        {"wiff/q1-Lysate B.mzML", "wiff/q1.wiff"}, {"wiff/mix-Sample1.mzML", "wiff/mix.wiff"},
        {"lab/c.mzML", "lab/c.mzML"}, {"x.txt", "x.txt"}};
    for (const auto& [named, given] : others) EXPECT_EQ(programDataFile(Program::wiffharvest, root / named), root / given);
}

// "name" or "name=earlier name" for each modification offered.
std::vector<std::string> cysteinesSaid(const std::string& file) {
    std::vector<std::string> said;
    for (const OfferedChoice& choice : cysteineChoices(file)) {
        said.push_back(choice.value + (choice.standsFor.empty() ? "" : "=" + choice.standsFor));
    }
    return said;
}

TEST(RunCatalog, CysteineNamesInFileOrder) {
    const std::vector<std::string> names = cysteinesSaid(QUARROW_PARAMS_DIR "/cysteines.tsv");
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names.front(), "pyridylethylation");
    EXPECT_EQ(names.back(), "cICAT-mix");
    // Both name the carbamidomethyl cysteine; only the later one says so.
    EXPECT_EQ(std::count(names.begin(), names.end(), "iodoacetamide"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "carbamidomethyl=iodoacetamide"), 1);
    EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.find('=') != n.npos; }), 1);
}

// The front ends offer the names the programs accept: the columns found by
// their headers, comments and CR LF read as the programs read them; a name
// that makes the residue of an earlier one stands for the first of them.
TEST(RunCatalog, CysteineNamesAreReadAsTheProgramsReadThem) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"AAsymbol\tcysteineName\nc\tcarbamidomethyl\n# retired\nd\tpropionamide\n",
         {"carbamidomethyl", "propionamide"}},
        {"cysteineName\tAAsymbol\r\nacrylamide\tc\r\n", {"acrylamide"}},
        {"cysteineName\tAAsymbol\nacrylamide\n", {}},  // a short row: the programs refuse the file
        {"name\tAAsymbol\nacrylamide\tc\n", {}},
        {"cysteineName\tAAsymbol\na\tc\nb\td\nc\tc\nd\tc\ne\td\n", {"a", "b", "c=a", "d=a", "e=b"}},
        {"cysteineName\nx\ny\n", {"x", "y"}},  // no residues: no two names alike
    };
    TempDir dir;
    for (const auto& [text, names] : cases) {
        writeWholeFile(dir.file("cysteines.tsv"), text);
        EXPECT_EQ(cysteinesSaid(dir.file("cysteines.tsv")), names) << text;
    }
    EXPECT_EQ(cysteinesSaid(dir.file("none.tsv")), std::vector<std::string>{});
}

std::string fieldOf(const std::string& page, const std::string& key) {
    const std::size_t at = page.find("id=\"" + key + "\" name=\"" + key + "\"");
    return at == std::string::npos ? "" : page.substr(page.rfind('<', at), page.find('>', at) - page.rfind('<', at) + 1);
}

TEST(FormPage, EachProgramItsKeysWithTheirDefaultsAndRanges) {
    struct Case {
        Program program;
        bool chargeKeys;  // autoCharge and the other yepharvest-only keys
    };
    for (const Case& c : {Case{Program::yepharvest, true}, Case{Program::wiffharvest, false}}) {
        const std::string page =
            formPage({c.program, {"r.d"}, {{"pyridylethylation"}, {"ICAT-mix"}}, "/d", "/r", "", {}}).html();
        EXPECT_NE(page.find("<form method=\"post\" action=\"/cgi-bin/" + programName(c.program) + "\""), std::string::npos);
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
        EXPECT_NE(page.find("<option value=\"r.d\">"), std::string::npos);
        // A button before the first field and after the last; what the
        // program does, reads and writes before the form.
        EXPECT_LT(page.find("id=\"submitTop\""), page.find("<fieldset>"));
        EXPECT_GT(page.find("id=\"submit\""), page.find("name=\"peakLimitCount\""));
        EXPECT_LT(page.find("<dt>What it writes</dt>"), page.find("<form"));
        // The whole run is a choice, its scan window beside it.
        EXPECT_NE(page.find("name=\"scanRange\" value=\"whole\" checked>"), std::string::npos);
        EXPECT_LT(page.find("<div id=\"scanWindow\"><div class=\"field\"><label for=\"firstScan\">"),
                  page.find("name=\"lastScan\""));
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
    const std::string yep = formPage({Program::yepharvest, {}, {}, "/d", "/r", "", {}}).html();
    EXPECT_NE(yep.find("<option value=\"Find\" selected>Find each charge</option>"), std::string::npos);
    // The fixed charge right after the charge rule that reads it, not folded away.
    const std::size_t fixed = yep.find("<div id=\"fixedCharge\"><div class=\"field\"><label for=\"lowCharge\">");
    EXPECT_LT(yep.find("name=\"autoCharge\""), fixed);
    EXPECT_LT(fixed, yep.find("name=\"maxCharge\""));
    EXPECT_LT(yep.find("name=\"highCharge\""), yep.find("name=\"maxCharge\""));
}

// Which scans: the whole run unless the settings name other scans, or the
// request said which.
TEST(FormPage, WholeRunOrScanWindow) {
    struct Case {
        std::vector<QueryEntry> settings;
        bool whole;
    };
    const std::vector<Case> cases = {
        {{}, true},
        {{{"firstScan", "1"}, {"lastScan", "999999999"}}, true},
        {{{"lastScan", "9999"}}, false},
        {{{"firstScan", "2"}}, false},
        {{{"firstScan", "2"}, {"scanRange", "whole"}}, true},
        {{{"scanRange", "window"}}, false},
    };
    for (const Case& c : cases) {
        const std::string page = formPage({Program::wiffharvest, {}, {}, "/d", "/r", "", c.settings}).html();
        EXPECT_EQ(page.find("value=\"whole\" checked>") != std::string::npos, c.whole) << c.settings.size();
        EXPECT_EQ(page.find("value=\"window\" checked>") != std::string::npos, !c.whole) << c.settings.size();
    }
}

// Each choice key's select offers every choice, in the table's or the
// cysteine table's order, with its label and the name another stands for.
TEST(FormPage, EveryChoiceKeyOffersItsChoices) {
    const std::vector<OfferedChoice> cysteines = cysteineChoices(QUARROW_PARAMS_DIR "/cysteines.tsv");
    for (const Program program : allPrograms) {
        const std::string page = formPage({program, {}, cysteines, "/d", "/r", "", {}}).html();
        int selects = 0;
        for (const QueryKey& key : queryKeys()) {
            const std::vector<OfferedChoice> choices = offeredChoices(key, cysteines);
            if (choices.empty() || key.unused || !readBy(key, program)) continue;
            ++selects;
            const std::size_t start = page.find("<select id=\"" + std::string(key.name) + "\"");
            ASSERT_NE(start, std::string::npos) << key.name;
            const std::string select = page.substr(start, page.find("</select>", start) - start);
            std::string expected;
            for (const OfferedChoice& choice : choices) {
                const bool chosen = choice.value == frontEndValue(key);
                expected += "<option value=\"" + choice.value + "\"" + (chosen ? " selected" : "") + ">" +
                            choiceLabel(choice) + "</option>";
            }
            EXPECT_EQ(select.substr(select.find('>') + 1), expected) << key.name;
        }
        EXPECT_GE(selects, program == Program::yepharvest ? 6 : 3) << programName(program);
    }
    const std::string page = formPage({Program::wiffharvest, {}, cysteines, "/d", "/r", "", {}}).html();
    EXPECT_NE(page.find("<option value=\"carbamidomethyl\">carbamidomethyl (another name for iodoacetamide)</option>"),
              std::string::npos);
}

// "Run again": a request's settings, the folded part open when one of its
// keys was changed, and every text escaped.
TEST(FormPage, StartsFromARequestsSettings) {
    const std::string page =
        formPage({Program::yepharvest, {}, {{"pyridylethylation"}}, "/d", "/r", "run<1>",
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
