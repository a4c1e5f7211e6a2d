// What the launcher lets through to a program: checked, canonical paths,
// values the key table takes, the front ends' defaults for what a request
// left out; and what it refuses, with which status, before any folder is made.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <variant>

#include "tests/support/temp_dir.h"
#include "web/launcher/request_check.h"

namespace fs = std::filesystem;

namespace {

class RequestCheck : public ::testing::Test {
protected:
    void SetUp() override {
        // The launcher checks only that the program finds something to read.
        fs::create_directories(dir.file("data/sample7.d"));
        writeWholeFile(dir.file("data/sample7.d/Analysis.mzML"), "");
        fs::create_directories(dir.file("data/empty.d"));
        // Without its .wiff file, an export with a .wiff file's spectrum ids.
        writeWholeFile(dir.file("data/lysate3-Sample1.mzML"),
                       "<mzML><run><sample id=\"s\" name=\"Sample1\"/>"
                       "<spectrum id=\"sample=1 period=1 cycle=1 experiment=1\"/></run></mzML>");
        fs::create_directories(dir.file("results/given"));
        ::mkfifo(dir.file("data/fifo.mzML").c_str(), 0644);
        fs::create_symlink("nowhere.mzML", dir.file("data/gone.mzML"));
        writeWholeFile(dir.file("data/back\\slash.mzML"), "");
        writeWholeFile(dir.file("data/.mzML"), "");
        rules = {Program::yepharvest, {fs::canonical(dir.file("data")), fs::canonical(dir.file("results"))},
                 cysteineChoices(QUARROW_PARAMS_DIR "/cysteines.tsv")};
    }

    std::variant<Refusal, CheckedRequest> check(const std::vector<QueryEntry>& entries) {
        return checkRequest(entries, rules, [&](const std::string& run) -> std::optional<fs::path> {
            madeFor.push_back(run);
            if (!folderMakerWorks) return std::nullopt;
            return rules.roots.results / (run + "-stamp");
        });
    }

    // The checked query, one "name=value" line per entry.
    static std::string listed(const std::vector<QueryEntry>& entries) {
        std::string text;
        for (const QueryEntry& entry : entries) text += entry.name + "=" + entry.value + "\n";
        return text;
    }

    TempDir dir;
    RequestRules rules;
    std::vector<std::string> madeFor;
    bool folderMakerWorks = true;
};

TEST_F(RequestCheck, RefusesWithTheRightStatusAndWords) {
    const QueryEntry run{"xtractorDataFilename", "sample7.d/Analysis.yep"};
    struct Case {
        std::vector<QueryEntry> entries;
        int status;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{}, 400, "No run was chosen"},
        {{{"xtractorDataFilename", ""}}, 400, "No run was chosen"},
        {{{"xtractorDataFilename", "/etc/passwd"}}, 403, "\"/etc/passwd\" lies outside the data root"},
        // The programs apply the last occurrence, so that is the one checked.
        {{run, {"xtractorDataFilename", "../../etc/passwd"}}, 403, "outside the data root"},
        // A request writes only into its own new folder, inside the root or not.
        {{run, {"resultsXtractorDir", dir.file("data/")}}, 400, "resultsXtractorDir"},
        {{run, {"resultsXtractorDir", "given/"}}, 400, "only into its own new folder"},
        {{run, {"logFileDir", "given/"}}, 400, "logFileDir \"given/\": a request writes"},
        {{run, {"logFileDir", ""}, {"logFileDir", "/tmp/"}}, 400, "logFileDir \"/tmp/\""},
        {{run, {"specFeaturesFilename", "../features.txt"}}, 403, "must be a plain file name"},
        {{run, {"specFeaturesFilename", "feat.html"}}, 400, "specFeaturesFilename \"feat.html\": must end in .txt."},
        {{run, {"output_filename", "sub/page"}}, 403, "output_filename \"sub/page\": must be a plain file name."},
        {{{"xtractorDataFilename", "lysate3.wiff"}}, 400, "wiffharvest reads it"},
        // A run that is not there is not started.
        {{{"xtractorDataFilename", "missing.d/Analysis.yep"}}, 404,
         "xtractorDataFilename \"missing.d/Analysis.yep\": there is no run folder missing.d under the data root."},
        {{{"xtractorDataFilename", "missing.D"}}, 404, "there is no run folder missing.D under the data root."},
        {{{"xtractorDataFilename", "empty.d"}}, 404,
         "xtractorDataFilename \"empty.d\": the run folder empty.d holds no run export (Analysis.mzML,"},
        {{{"xtractorDataFilename", "sample7.d/x.mzXML.gz"}}, 404, "there is no such file under the data root."},
        {{{"xtractorDataFilename", "notes.txt"}}, 404, "there is no such file under the data root."},
        // What no program can read or take, as the command line refuses it.
        {{{"xtractorDataFilename", "fifo.mzML"}}, 404, "fifo.mzML is not a regular file (a FIFO, a device or a socket)"},
        {{{"xtractorDataFilename", "gone.mzML"}}, 404, "there is no such file under the data root."},
        {{{"xtractorDataFilename", "back\\slash.mzML"}}, 400, "its path holds a backslash"},
        {{{"xtractorDataFilename", ".mzML"}}, 400, "an export's ending alone"},
        {{run, {"scanRange", "all"}}, 400, "scanRange \"all\": not one of whole, window."},
        // The programs would read these as 0, 12 and no charge rule at all.
        {{run, {"groupScans", "abc"}}, 400, "groupScans \"abc\": not a whole number"},
        {{run, {"lowParent", "12x"}}, 400, "lowParent \"12x\": not a number (range 0 - 1000000000)."},
        {{run, {"autoCharge", "find"}}, 400,
         "autoCharge \"find\": not one of Find (Find each charge), Default (Only singly charged), empty (Fixed: "
         "lowCharge = highCharge)."},
        {{run, {"autocharge", "Find"}}, 400, "autocharge is no key; did you mean autoCharge?"},
        {{run, {"cys", "nothing"}}, 400,
         "cys \"nothing\": not a cysteine modification of msparams_quarrow/cysteines.tsv: pyridylethylation, "
         "acrylamide, iodoacetamide, carbamidomethyl (another name for iodoacetamide), iodoacetic-acid,"},
        // The programs' own range check, in the words of their error page.
        {{run, {"groupScans", "-3"}}, 400, "The value -3 of the query key groupScans is outside its range 0 - 10000."},
        {{run, {"parentTolerance", "0"}}, 400, "outside its range above 0 up to 1000."},
    };
    for (const Case& c : cases) {
        const auto result = check(c.entries);
        ASSERT_TRUE(std::holds_alternative<Refusal>(result)) << listed(c.entries);
        EXPECT_EQ(std::get<Refusal>(result).status, c.status) << listed(c.entries);
        EXPECT_NE(std::get<Refusal>(result).reason.find(c.reason), std::string::npos) << std::get<Refusal>(result).reason;
    }
    EXPECT_TRUE(madeFor.empty()) << "a refused request made a folder";

    rules.program = Program::wiffharvest;
    for (const auto& [entries, status] : std::vector<std::pair<std::vector<QueryEntry>, int>>{
             {{run}, 400},
             {{{"xtractorDataFilename", "lysate3.wiff"}, {"autoCharge", "Find"}}, 400},
             {{{"xtractorDataFilename", "lysate4.wiff"}}, 404}}) {
        const auto result = check(entries);
        ASSERT_TRUE(std::holds_alternative<Refusal>(result)) << listed(entries);
        EXPECT_EQ(std::get<Refusal>(result).status, status) << std::get<Refusal>(result).reason;
    }
    EXPECT_TRUE(madeFor.empty()) << "a refused request made a folder";
}

// A window that takes nothing is refused in the words of every front end,
// also when only one end is given and the other is the front ends' default;
// a window of one scan is a window, and the whole run ignores the window's
// fields.
TEST_F(RequestCheck, AnInvertedWindowIsRefusedBeforeAnythingRuns) {
    const QueryEntry run{"xtractorDataFilename", "sample7.d"};
    const std::string scans = "The value 10 of the query key firstScan is above the value 5 of the query key "
                              "lastScan: no scan lies between them.";
    struct Case {
        std::vector<QueryEntry> entries;
        std::string reason;  // "": taken
    };
    const std::vector<Case> cases = {
        {{run, {"firstScan", "10"}, {"lastScan", "5"}}, scans},
        {{run, {"scanRange", "window"}, {"lastScan", "5"}, {"firstScan", "10"}}, scans},
        {{run, {"firstScan", "3"}, {"lastScan", "5"}, {"firstScan", "10"}}, scans},
        {{run, {"firstScan", "1000000000"}},
         "The value 1000000000 of the query key firstScan is above the value 999999999 of the query key lastScan"},
        {{run, {"lowParent", "3000"}, {"highParent", "2000.5"}},
         "The value 3000 of the query key lowParent is above the value 2000.5 of the query key highParent: no "
         "precursor M+H lies between them."},
        {{run, {"firstScan", "5"}, {"lastScan", "5"}}, ""},
        {{run, {"lowParent", "800.5"}, {"highParent", "800.5"}}, ""},
        {{run, {"scanRange", "whole"}, {"firstScan", "10"}, {"lastScan", "5"}}, ""},
    };
    for (const Case& c : cases) {
        const auto result = check(c.entries);
        if (c.reason.empty()) {
            EXPECT_TRUE(std::holds_alternative<CheckedRequest>(result)) << std::get<Refusal>(result).reason;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Refusal>(result)) << listed(c.entries);
        EXPECT_EQ(std::get<Refusal>(result).status, 400);
        EXPECT_EQ(std::get<Refusal>(result).reason.find(c.reason), 0u) << std::get<Refusal>(result).reason;
    }
    EXPECT_EQ(madeFor.size(), 3u) << "a refused request made a folder";
}

// The run as the picker shows it and "whole run" give the program the same
// query as the data file and the scan numbers themselves.
TEST_F(RequestCheck, ThePickersRunAndTheWholeRunGiveTheSameQuery) {
    const auto entriesOf = [&](const std::vector<QueryEntry>& entries) {
        const auto result = check(entries);
        return std::holds_alternative<CheckedRequest>(result) ? listed(std::get<CheckedRequest>(result).entries)
                                                              : std::get<Refusal>(result).reason;
    };
    const std::string plain = entriesOf({{"xtractorDataFilename", "sample7.d/Analysis.yep"},
                                         {"firstScan", "1"},
                                         {"lastScan", "999999999"}});
    EXPECT_NE(plain.find("\nfirstScan=1\nlastScan=999999999\n"), std::string::npos) << plain;
    for (const std::vector<QueryEntry>& same : std::vector<std::vector<QueryEntry>>{
             {{"xtractorDataFilename", "sample7.d"}, {"firstScan", "1"}, {"lastScan", "999999999"}},
             {{"xtractorDataFilename", "sample7.d/"}, {"scanRange", "whole"}},
             // Without the script the window's fields come too; the choice wins.
             {{"firstScan", "20"}, {"xtractorDataFilename", "sample7.d"}, {"scanRange", "whole"}, {"lastScan", "40"}},
             {{"xtractorDataFilename", "sample7.d"}, {"scanRange", "window"}, {"firstScan", "1"},
              {"lastScan", "999999999"}}}) {
        EXPECT_EQ(entriesOf(same), plain) << listed(same);
    }
    const auto whole = check({{"xtractorDataFilename", "sample7.d"}, {"scanRange", "whole"}});
    ASSERT_TRUE(std::holds_alternative<CheckedRequest>(whole));
    EXPECT_EQ(listed(std::get<CheckedRequest>(whole).filled), "autoCharge=Find\nspecFeaturesFilename=specFeatures.txt\n"
                                                              "filterOpenCharges=1\npeakListFormat=mgf\n") << "the choice is no default";
    EXPECT_TRUE(std::get<CheckedRequest>(whole).ignored.empty());
    EXPECT_NE(entriesOf({{"xtractorDataFilename", "sample7.d"}, {"scanRange", "window"}, {"firstScan", "20"},
                         {"lastScan", "40"}})
                  .find("\nfirstScan=20\nlastScan=40\n"),
              std::string::npos);

    // A run folder's export named by itself is the run folder's run, as the
    // command line and the catalogue have it.
    for (const char* named : {"sample7.d/Analysis.mzML", "sample7.d/", "sample7.d/Analysis.yep"}) {
        const auto result = check({{"xtractorDataFilename", named}});
        ASSERT_TRUE(std::holds_alternative<CheckedRequest>(result)) << named;
        EXPECT_EQ(std::get<CheckedRequest>(result).dataFile, rules.roots.data / "sample7.d/Analysis.yep") << named;
        EXPECT_EQ(std::get<CheckedRequest>(result).runName, "sample7") << named;
    }

    rules.program = Program::wiffharvest;
    EXPECT_EQ(entriesOf({{"xtractorDataFilename", "lysate3-Sample1.mzML"}}),
              entriesOf({{"xtractorDataFilename", "lysate3.wiff"}}));
    EXPECT_EQ(std::get<CheckedRequest>(check({{"xtractorDataFilename", "lysate3-Sample1.mzML"}})).dataFile,
              rules.roots.data / "lysate3.wiff");
}

// A link with only the run gets the front ends' defaults, said as filled in;
// empty folder fields are the launcher's choice; other names pass on as given.
TEST_F(RequestCheck, FillsTheFrontEndsDefaultsAndTheRequestFolder) {
    const auto result = check({{"xtractorDataFilename", "/etc/passwd"},
                               {"xtractorDataFilename", "sample7.d/Analysis.yep"},
                               {"resultsXtractorDir", ""},
                               {"groupScans", "7"},
                               {"groupScans", "10"},
                               {"fragmentTolerance", "0.3"},
                               {"submit", "Extract"}});
    ASSERT_TRUE(std::holds_alternative<CheckedRequest>(result)) << std::get<Refusal>(result).reason;
    const CheckedRequest& request = std::get<CheckedRequest>(result);
    const std::string folder = (rules.roots.results / "sample7-stamp").string();
    EXPECT_EQ(listed(request.entries),
              "xtractorDataFilename=" + (rules.roots.data / "sample7.d/Analysis.yep").string() +
                  "\nresultsXtractorDir=" + folder + "/peaklists/\nlogFileDir=" + folder +
                  "/logs/\nlowCharge=4\nhighCharge=4\nautoCharge=Find\nmaxCharge=5\nminMSsignalNoise=50\n"
                  "groupScans=10\nfirstScan=1\nlastScan=999999999\nlowParent=500.0\nhighParent=5000.0\n"
                  "parentTolerance=0.5\noutput_filename=\nspecFeaturesFilename=specFeatures.txt\nfilterOpenCharges=1\n"
                  "maxSequenceTagLength=0\nfindMonoisotopicParent=0\nchargeFromSurveyIsotopes=0\n"
                  "minSignalNoiseRatio=5\npeakLimitCount=25\nxtractorMode=\ncys=pyridylethylation\n"
                  "peakListFormat=mgf\nfragmentTolerance=0.3\nsubmit=Extract\n");
    EXPECT_EQ(listed(request.filled),
              "autoCharge=Find\nlastScan=999999999\nspecFeaturesFilename=specFeatures.txt\nfilterOpenCharges=1\n"
              "peakListFormat=mgf\n");
    EXPECT_EQ(request.ignored, (std::vector<std::string>{"fragmentTolerance", "submit"}));
    EXPECT_EQ(request.requestFolder, rules.roots.results / "sample7-stamp");
    EXPECT_EQ(request.runName, "sample7");
    EXPECT_EQ(madeFor, std::vector<std::string>{"sample7"});
}

TEST_F(RequestCheck, NoFolderForTheRequestIsAServerFault) {
    folderMakerWorks = false;
    const auto refused = check({{"xtractorDataFilename", "sample7.d/Analysis.yep"}});
    ASSERT_TRUE(std::holds_alternative<Refusal>(refused));
    EXPECT_EQ(std::get<Refusal>(refused).status, 500);
}

TEST(FolderName, OfTheRunName) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"sample7", "sample7"}, {"run 1", "run_1"}, {"a;b&c", "a_b_c"}, {".hidden", ".hidden"}, {"..", "run"}, {"", "run"},
    };
    for (const auto& [run, name] : cases) EXPECT_EQ(folderNameOf(run), name) << run;
}

}  // namespace
