// quarrow-extract on generated runs of both programs gives the files and the
// progress of the same program run directly as a web server would, with the
// front ends' defaults spelled out here; command lines it cannot honour are
// refused before anything runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/support/work_folder.h"

namespace {

// The tool with these arguments, standard error after standard output.
ChildResult extract(const std::vector<std::string>& arguments, const std::string& folder = "") {
    std::vector<std::string> shell = {"-c", "exec \"$0\" \"$@\" 2>&1", EXTRACT_PATH};
    shell.insert(shell.end(), arguments.begin(), arguments.end());
    return runProgram({"/bin/sh", folder, {}, "", shell});
}

// The progress lines a browser shows, one per line without the blanks
// around it: "<BR>" and line feeds end lines; the run time differs from run
// to run.
std::string browserLines(const std::string& html) {
    std::string text = std::regex_replace(html, std::regex("<BR>"), "\n");
    text = std::regex_replace(text, std::regex("Execution Time: [0-9.]+ secs"), "Execution Time: T secs");
    std::string lines;
    for (const std::string& line : splitText(text)) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos) lines += line.substr(first, line.find_last_not_of(" \t") + 1 - first) + "\n";
    }
    return lines;
}

class Extract : public ::testing::Test {
protected:
    WorkFolder direct;
    TempDir tool;
};

TEST_F(Extract, EachProgramGivesWhatItGivesAWebServer) {
    struct Case {
        std::string run;  // generated into the direct run's folder
        std::string generator;
        std::string program;
        std::string dataFilename;
        std::string filled;  // the front ends' defaults, as a query
        std::string given;   // the options, as a query
    };
    const std::string frontEnds = "lastScan=999999999&specFeaturesFilename=specFeatures.txt";
    const std::vector<Case> cases = {
        {"sample7.d", "--folder --spectra 200 --seed 3", YEPHARVEST_PATH, "sample7.d/Analysis.yep",
         "autoCharge=Find&" + frontEnds, "groupScans=10&peakListFormat=both"},
        {"lysate3.wiff", "--sciex qstar --samples 2 --spectra 150 --seed 7", WIFFHARVEST_PATH, "lysate3.wiff",
         frontEnds + "&peakListFormat=mgf", "maxCharge=3&cys=ICAT-mix"},
    };
    const auto listed = [](const std::string& query) { return std::regex_replace(query, std::regex("&"), ", "); };
    for (const Case& c : cases) {
        direct.generate(c.generator + " --output " + direct.file(c.run));
        const ChildResult expected = direct.extract(c.program, direct.file(c.dataFilename), c.filled + "&" + c.given);
        ASSERT_EQ(expected.exitStatus, 0) << expected.output;

        // A relative run, from the folder that holds it; --KEY VALUE and --KEY=VALUE.
        std::vector<std::string> arguments = {c.run, "--out", tool.file(c.run + "-out")};
        bool glued = false;
        for (const std::string& entry : splitText(c.given, '&')) {
            const std::size_t equals = entry.find('=');
            if (glued) {
                arguments.push_back("--" + entry);
            } else {
                arguments.insert(arguments.end(), {"--" + entry.substr(0, equals), entry.substr(equals + 1)});
            }
            glued = !glued;
        }
        const ChildResult got = extract(arguments, direct.file(""));
        ASSERT_EQ(got.exitStatus, 0) << got.output;

        for (const char* folder : {"peaklists", "logs"}) {
            const auto want = folderContents(direct.file(folder));
            const auto have = folderContents(tool.file(c.run + "-out/") + folder);
            EXPECT_GT(want.size(), folder == std::string("logs") ? 3u : 1u) << c.run;
            EXPECT_TRUE(want == have) << c.run << ": " << folder << " differs";
        }
        EXPECT_EQ(browserLines(got.output),
                  std::filesystem::path(c.program).filename().string() + " " + direct.file(c.dataFilename) +
                      "\nGiven: " + listed(c.given) + "\nFront ends' defaults filled in: " + listed(c.filled) + "\n" +
                      browserLines(expected.output) + "Peak lists: " + tool.file(c.run + "-out/peaklists/") +
                      "\nLogs:       " + tool.file(c.run + "-out/logs/") + "\n");
        EXPECT_EQ(got.output.find('<'), std::string::npos) << got.output;
        std::filesystem::remove_all(direct.file("peaklists"));
        std::filesystem::remove_all(direct.file("logs"));
        std::filesystem::create_directory(direct.file("peaklists"));
        std::filesystem::create_directory(direct.file("logs"));
    }
}

// The program's error page arrives as its sentences, its status is the
// tool's, and its failure line gives the tool's last word.
TEST_F(Extract, AFailedRunEndsWithTheProgramsStatusAndItsSentence) {
    const ChildResult got = extract({tool.file("missing.d"), "--out", tool.file("out")});
    EXPECT_EQ(got.exitStatus, 1);
    EXPECT_NE(got.output.find("\nNo run export was found: the run folder " + tool.file("missing.d/") + " does not exist"),
              std::string::npos)
        << got.output;
    EXPECT_NE(got.output.find("quarrow-extract: yepharvest failed (exit status 1: No run export was found: the run "
                              "folder " + tool.file("missing.d/") + " does not exist"),
              std::string::npos)
        << got.output;
    EXPECT_EQ(got.output.find("quarrow-failure"), std::string::npos) << got.output;
}

TEST_F(Extract, CommandLinesItCannotHonourAreRefusedBeforeAnythingRuns) {
    const std::string run = tool.file("s.d");
    const std::string wiff = tool.file("w.wiff");
    const std::string out = tool.file("out");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{run, "--groupscans", "5", "--out", out}, "--groupscans is no key; did you mean --groupScans?"},
        {{run, "--colour", "red", "--out", out}, "--colour is no key of yepharvest or wiffharvest"},
        {{wiff, "--autoCharge", "Find", "--out", out}, "--autoCharge is read by yepharvest only, not by wiffharvest."},
        {{run, "--out", out, "--out", out}, "--out is given more than once"},
        {{run, "--fragmentTolerance", "0.5", "--out", out}, "no stage reads it"},
        {{run, "--out", out, "--logFileDir", "/tmp/"}, "--logFileDir is set by quarrow-extract"},
        {{run, "--out", out, "--groupScans"}, "--groupScans needs a value"},
        {{run, "--groupScans", "--out", out}, "--groupScans needs a value"},
        {{run, "--groupScans", "5"}, "--out DIR is missing"},
        {{"--out", out}, "no run given"},
        {{run, wiff, "--out", out}, "one run at a time"},
        {{run, "--groupScans", "5x", "--out", out}, "--groupScans 5x: not a whole number"},
        {{run, "--lastScan", "99999999999", "--out", out}, "not a whole number"},
        {{run, "--lowParent", "0x10", "--out", out}, "--lowParent 0x10: not a number"},
        {{run, "--groupScans", "10001", "--out", out}, "The value 10001 of the query key groupScans is outside its range 0 - 10000."},
        {{run, "--autoCharge", "find", "--out", out}, "--autoCharge find: not one of Find, Default, (empty)"},
        {{run, "--maxCharge", "3", "--maxCharge=4", "--out", out}, "--maxCharge is given more than once"},
        // The web's refusals, in its words.
        {{run, "--specFeaturesFilename", "../f.txt", "--out", out}, "must be a plain file name"},
        {{run, "--specFeaturesFilename", "feat.html", "--out", out}, "--specFeaturesFilename feat.html: must end in .txt"},
        {{run, "--cys", "unheard-of", "--out", out},
         "--cys unheard-of: not a cysteine modification of msparams_quarrow/cysteines.tsv"},
        {{tool.file("W.WIFF"), "--out", out}, "in lower case, .wiff"},
        {{run, "--out", out, "--yepharvest", tool.file("none")}, "yepharvest is not at " + tool.file("none")},
    };
    for (const auto& [arguments, message] : cases) {
        const ChildResult got = extract(arguments);
        EXPECT_EQ(got.exitStatus, 2) << message;
        EXPECT_NE(got.output.find(message), std::string::npos) << got.output;
        EXPECT_FALSE(std::filesystem::exists(out)) << message;
    }
}

// One line, the tool's name and the project's version, wherever the option
// stands; with a run and no --out nothing is refused and nothing runs.
TEST_F(Extract, EachToolPrintsItsVersion) {
    const std::string out = tool.file("out");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{EXTRACT_PATH, "--version"}, "quarrow-extract"},
        {{EXTRACT_PATH, tool.file("s.d"), "--groupScans", "5", "--version"}, "quarrow-extract"},
        {{KEYS_PATH, "--version"}, "quarrow-keys"},
        {{REPORT_PATH, "--version"}, "quarrow-report"},
        {{RUNS_PATH, "--version"}, "quarrow-runs"},
    };
    for (const auto& [arguments, name] : cases) {
        const ChildResult got = runProgram({arguments.front(), "", {}, "",
                                            std::vector<std::string>(arguments.begin() + 1, arguments.end())});
        EXPECT_EQ(got.exitStatus, 0) << name;
        EXPECT_EQ(got.output, name + " " + QUARROW_VERSION + "\n");
        EXPECT_TRUE(std::regex_match(got.output, std::regex(name + " [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << got.output;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
