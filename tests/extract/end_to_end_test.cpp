// quarrow-extract on generated runs of both programs gives, in each run's
// folder, the files of the same program run directly as a web server would
// (with the front ends' defaults spelled out here), its record and its
// report; command lines it cannot honour are refused before anything runs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "tests/support/work_folder.h"

namespace {

// The tool with these arguments, standard error after standard output.
ChildResult extract(const std::vector<std::string>& arguments, const std::string& folder = "") {
    // Bounded: a call that waits on a FIFO must fail the test, not hold it.
    std::vector<std::string> shell = {"-c", "exec timeout -s KILL 600 \"$0\" \"$@\" 2>&1", EXTRACT_PATH};
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

struct RecordRow {
    std::string value;
    std::string source;
};

// run.tsv by field; its header must be the one documented.
std::map<std::string, RecordRow> readRecord(const std::string& path) {
    const std::vector<std::string> lines = splitText(readWholeFile(path));
    EXPECT_FALSE(lines.empty()) << path;
    if (lines.empty()) return {};
    EXPECT_EQ(lines[0], "field\tvalue\tsource");
    std::map<std::string, RecordRow> rows;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> cells = splitText(lines[i], '\t');
        EXPECT_TRUE(cells.size() == 2 || cells.size() == 3) << lines[i];
        if (cells.size() >= 2) rows[cells[0]] = {cells[1], cells.size() == 3 ? cells[2] : ""};
    }
    return rows;
}

bool isUtcTime(const std::string& text) {
    return std::regex_match(text, std::regex("20[0-9]{2}-[01][0-9]-[0-3][0-9]T[0-2][0-9]:[0-5][0-9]:[0-6][0-9]Z"));
}

int filesEndingIn(const std::string& folder, const std::string& ending) {
    int count = 0;
    for (const auto& [name, bytes] : folderContents(folder)) count += name.ends_with(ending) ? 1 : 0;
    return count;
}

// What the tool says before it replaces a run's earlier results.
std::string replacedNote(const std::string& run, const std::string& folder) {
    return "\n" + run + ": the results of its earlier extraction in " + folder + " are replaced\n";
}

class Extract : public ::testing::Test {
protected:
    TempDir tool;
};

// Both programs in one call: each run's folder holds what the program gives
// a web server, the record says what ran and with what, and the progress
// is the program's with the tool's lines around it.
TEST_F(Extract, SeveralRunsInOneCallEachIntoItsOwnFolderWithItsRecord) {
    struct Case {
        std::string run;  // generated into the direct run's folder
        std::string generator;
        std::string program;
        std::string dataFilename;
        std::string name;
        std::string filled;  // the front ends' defaults, as a query
    };
    const std::string frontEnds = "lastScan=999999999&specFeaturesFilename=specFeatures.txt&filterOpenCharges=1";
    const std::vector<Case> cases = {
        {"sample7.d", "--folder --spectra 200 --seed 3", YEPHARVEST_PATH, "sample7.d/Analysis.yep", "sample7",
         "autoCharge=Find&" + frontEnds},
        {"lysate3.wiff", "--sciex qstar --samples 2 --spectra 150 --seed 7", WIFFHARVEST_PATH, "lysate3.wiff", "lysate3",
         frontEnds},
    };
    const std::string given = "groupScans=10&peakListFormat=both&maxCharge=3&cys=ICAT-mix";
    const auto listed = [](const std::string& query) { return std::regex_replace(query, std::regex("&"), ", "); };

    WorkFolder data;  // the runs, and the direct runs' files
    std::vector<std::string> arguments;
    for (const Case& c : cases) {
        data.generate(c.generator + " --output " + data.file(c.run));
        arguments.push_back(c.run);  // relative, from the folder that holds them
    }
    // --KEY VALUE and --KEY=VALUE; -o for --out.
    bool glued = false;
    for (const std::string& entry : splitText(given, '&')) {
        const std::size_t equals = entry.find('=');
        if (glued) {
            arguments.push_back("--" + entry);
        } else {
            arguments.insert(arguments.end(), {"--" + entry.substr(0, equals), entry.substr(equals + 1)});
        }
        glued = !glued;
    }
    arguments.insert(arguments.end(), {"-o", tool.file("out"), "--verbose"});
    const ChildResult got = extract(arguments, data.file(""));
    ASSERT_EQ(got.exitStatus, 0) << got.output;
    EXPECT_EQ(got.output.find('<'), std::string::npos) << got.output;

    std::string progress;
    for (const Case& c : cases) {
        const ChildResult expected = data.extract(c.program, data.file(c.dataFilename), c.filled + "&" + given);
        ASSERT_EQ(expected.exitStatus, 0) << expected.output;
        const std::string folder = tool.file("out/" + c.name + "/");
        for (const char* sub : {"peaklists", "logs"}) {
            const auto want = folderContents(data.file(sub));
            EXPECT_GT(want.size(), sub == std::string("logs") ? 3u : 2u) << c.run;
            EXPECT_TRUE(want == folderContents(folder + sub)) << c.run << ": " << sub << " differs";
        }
        const auto record = readRecord(folder + "run.tsv");
        const std::string programName = std::filesystem::path(c.program).filename().string();
        const std::map<std::string, std::string> fields = {
            {"run", c.name}, {"input", c.run}, {"data file", data.file(c.dataFilename)}, {"program", programName},
            {"program path", c.program}, {"version", QUARROW_VERSION}, {"outcome", "ok"}, {"exit status", "0"},
            {"signal", ""}, {"error", ""}, {"report", "report.html"},
            {"peak-list files", std::to_string(folderContents(data.file("peaklists")).size())},
            {"spectra written", std::to_string(counters(data.log("runStats.txt"))["numOutputSpectra"])},
            {"rejected", std::to_string(splitText(data.log("xtractorRejectReasons.txt")).size() - 1)}};
        for (const auto& [field, value] : fields) EXPECT_EQ(record.at(field).value, value) << c.run << " " << field;
        EXPECT_TRUE(isUtcTime(record.at("start").value) && isUtcTime(record.at("end").value)) << record.at("end").value;
        EXPECT_LE(record.at("start").value, record.at("end").value);
        // What the program took, as the operating system counted it.
        EXPECT_GT(std::stod(record.at("wall seconds").value), 0) << c.run;
        EXPECT_GT(std::stod(record.at("CPU seconds").value), 0) << c.run;
        EXPECT_GT(std::stol(record.at("peak memory kB").value), 1024) << c.run;
        // Every key the program got, and where its value came from.
        for (const std::string& entry : splitText(given, '&')) {
            const std::size_t equals = entry.find('=');
            EXPECT_EQ(record.at(entry.substr(0, equals)).value, entry.substr(equals + 1));
            EXPECT_EQ(record.at(entry.substr(0, equals)).source, "given");
        }
        EXPECT_EQ(record.at("lastScan").value, "999999999");
        EXPECT_EQ(record.at("lastScan").source, "front ends' default");
        EXPECT_EQ(record.at("lowParent").source, "program's default");
        EXPECT_EQ(record.at("logFileDir").value, folder + "logs/");
        EXPECT_EQ(record.at("logFileDir").source, "set for the run");
        EXPECT_EQ(record.count("autoCharge"), programName == "yepharvest" ? 1u : 0u);
        const std::string report = readWholeFile(folder + "report.html");
        EXPECT_NE(report.find(c.name), std::string::npos) << c.run;

        const std::map<std::string, int> statistics = counters(data.log("runStats.txt"));
        progress += std::string(progress.empty() ? "" : "\n") + programName + " " + data.file(c.dataFilename) +
                    "\nGiven: " + listed(given) + "\nFront ends' defaults filled in: " + listed(c.filled) + "\n" +
                    browserLines(expected.output) + c.name + ": " + record.at("spectra written").value +
                    " spectra written to " + (programName == "yepharvest" ? "1 MGF file and " : "2 MGF files and ") +
                    std::to_string(filesEndingIn(data.file("peaklists"), ".pkl")) + " .pkl files, " +
                    record.at("rejected").value + " rejected; record " + folder + "run.tsv\n";
        for (const char* sub : {"peaklists", "logs"}) {
            std::filesystem::remove_all(data.file(sub));
            std::filesystem::create_directory(data.file(sub));
        }
    }
    progress += "\n2 runs: 2 finished, 0 failed, 0 stopped\n";
    for (const Case& c : cases) progress += "  finished  " + tool.file("out/" + c.name + "/") + "\n";
    EXPECT_EQ(browserLines(got.output), browserLines(progress));
}

// A run extracted again into the same folder replaces its files there (its
// log rows are not doubled) and says so; other runs and other files stay.
TEST_F(Extract, ARunExtractedAgainReplacesItsResults) {
    runGenerator("--folder --spectra 120 --seed 5 --output " + tool.file("BSA2.d"));
    const std::vector<std::string> arguments = {tool.file("BSA2.d"), "--out", tool.file("out")};
    const ChildResult first = extract(arguments);
    ASSERT_EQ(first.exitStatus, 0) << first.output;
    EXPECT_EQ(first.output.find("replaced"), std::string::npos) << first.output;
    const auto logs = folderContents(tool.file("out/BSA2/logs"));
    const auto peakLists = folderContents(tool.file("out/BSA2/peaklists"));
    std::filesystem::create_directories(tool.file("out/other/logs"));
    writeWholeFile(tool.file("out/other/logs/runStats.txt"), "kept");
    writeWholeFile(tool.file("out/BSA2/notes.txt"), "mine");
    writeWholeFile(tool.file("out/BSA2/peaklists/stale.pkl"), "from before");

    const ChildResult again = extract(arguments);
    ASSERT_EQ(again.exitStatus, 0) << again.output;
    EXPECT_NE(again.output.find(replacedNote("BSA2", tool.file("out/BSA2/"))), std::string::npos) << again.output;
    EXPECT_TRUE(folderContents(tool.file("out/BSA2/logs")) == logs);
    EXPECT_TRUE(folderContents(tool.file("out/BSA2/peaklists")) == peakLists);
    EXPECT_EQ(readWholeFile(tool.file("out/other/logs/runStats.txt")), "kept");
    EXPECT_EQ(readWholeFile(tool.file("out/BSA2/notes.txt")), "mine");
}

// A run extracted again that then fails leaves nothing of the earlier
// extraction it said it replaced: no peak list, no log, no report of the
// run that succeeded may stand beside the record of the one that failed.
TEST_F(Extract, ARunExtractedAgainThatFailsLeavesNoneOfTheEarlierResults) {
    runGenerator("--folder --spectra 120 --seed 6 --output " + tool.file("BSA3.d"));
    const std::vector<std::string> arguments = {tool.file("BSA3.d"), "--out", tool.file("out")};
    const ChildResult first = extract(arguments);
    ASSERT_EQ(first.exitStatus, 0) << first.output;
    ASSERT_TRUE(std::filesystem::exists(tool.file("out/BSA3/report.html")));
    ASSERT_EQ(filesEndingIn(tool.file("out/BSA3/peaklists"), ".mgf"), 1);
    // Every file of the earlier extraction carries a mark that the new run
    // cannot write.
    const std::string mark = "\nearlier extraction\n";
    std::vector<std::string> earlier;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tool.file("out/BSA3"))) {
        if (!entry.is_regular_file()) continue;
        writeWholeFile(entry.path().string(), readWholeFile(entry.path().string()) + mark);
        earlier.push_back(entry.path().lexically_relative(tool.file("out/BSA3")).string());
    }
    ASSERT_GE(earlier.size(), 4u);
    const std::string exportPath = tool.file("BSA3.d/Analysis.mzML");
    const std::string whole = readWholeFile(exportPath);
    writeWholeFile(exportPath, whole.substr(0, whole.size() / 2));

    const ChildResult again = extract(arguments);
    EXPECT_EQ(again.exitStatus, 1) << again.output;
    EXPECT_NE(again.output.find(replacedNote("BSA3", tool.file("out/BSA3/"))), std::string::npos) << again.output;
    for (const std::string& name : earlier) {
        const std::string path = tool.file("out/BSA3/" + name);
        EXPECT_FALSE(std::filesystem::exists(path) && readWholeFile(path).find(mark) != std::string::npos)
            << name << " of the earlier extraction is left";
    }
    EXPECT_FALSE(std::filesystem::exists(tool.file("out/BSA3/report.html")));
    // A failed run keeps only folders that hold something.
    EXPECT_TRUE(!std::filesystem::exists(tool.file("out/BSA3/peaklists")) ||
                filesEndingIn(tool.file("out/BSA3/peaklists"), ".mgf") == 0);
    const auto record = readRecord(tool.file("out/BSA3/run.tsv"));
    EXPECT_EQ(record.at("outcome").value, "failed");
    EXPECT_EQ(record.at("report").value, "not made: the run did not succeed");
}

// Runs that fail in each way leave their record saying why (in the
// program's words, else how it ended), and only files that hold something;
// the next runs go on, each shown as its program and outcome, and the call
// ends with their tally. Its status is the first failed run's.
TEST_F(Extract, FailedRunsAreRecordedAndTheOthersGoOnToATally) {
    runGenerator("--spectra 100 --seed 2 --output " + tool.file("good.mzML"));
    for (const char* copy : {"quiet.mzML", "killed.mzML"}) std::filesystem::copy(tool.file("good.mzML"), tool.file(copy));
    // A full stop and a blank in its path do not end its error's sentence.
    std::filesystem::create_directory(tool.file("bro. ken.d"));
    writeWholeFile(tool.file("bro. ken.d/Analysis.mzML"), "<mzML>cut off");
    // yepharvest, but for two runs that end without a word.
    const std::string program = tool.file("program");
    writeWholeFile(program, std::string("#!/bin/sh\ncase \"$QUERY_STRING\" in\n*quiet*) echo '<BR>Data read into memory.'; exit 3 ;;\n"
                            "*killed*) kill -KILL $$ ;;\nesac\nexec ") + YEPHARVEST_PATH + "\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    const std::vector<std::string> runs = {"bro. ken", "good", "quiet", "killed"};
    const std::vector<std::string> arguments = {tool.file("bro. ken.d"), tool.file("good.mzML"), tool.file("quiet.mzML"),
                                                tool.file("killed.mzML"), "--yepharvest", program, "--out", tool.file("out")};
    const ChildResult got = extract(arguments);
    EXPECT_EQ(got.exitStatus, 1) << got.output;
    const std::string brokenSaid = "The export " + tool.file("bro. ken.d/Analysis.mzML") + " is incomplete or damaged: ";
    struct Case {
        std::string run;
        std::string outcome;
        std::string exitStatus;
        std::string signal;
        std::string error;  // its start
        std::set<std::string> entries;  // what its folder holds
        std::string tally;
    };
    const std::vector<Case> cases = {
        {"bro. ken", "failed", "1", "", brokenSaid, {"run.tsv"}, "failed  "},
        {"good", "ok", "0", "", "", {"logs", "peaklists", "report.html", "run.tsv"}, "finished"},
        {"quiet", "failed", "3", "", "yepharvest ended with exit status 3 without saying why.", {"run.tsv"}, "failed  "},
        {"killed", "stopped", "", "9", "yepharvest was ended by signal 9 (Killed) before it said why.", {"run.tsv"},
         "stopped "},
    };
    std::string tally = "4 runs: 1 finished, 2 failed, 1 stopped\n";
    for (const Case& c : cases) {
        const std::string folder = tool.file("out/" + c.run + "/");
        const auto record = readRecord(folder + "run.tsv");
        EXPECT_EQ(record.at("outcome").value, c.outcome) << c.run;
        EXPECT_EQ(record.at("exit status").value, c.exitStatus) << c.run;
        EXPECT_EQ(record.at("signal").value, c.signal) << c.run;
        EXPECT_EQ(record.at("error").value.substr(0, std::max<std::size_t>(c.error.size(), 1)), c.error.empty() ? "" : c.error)
            << c.run;
        EXPECT_EQ(record.at("error").value.empty(), c.outcome == "ok") << c.run;
        std::set<std::string> entries;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) entries.insert(entry.path().filename().string());
        EXPECT_EQ(entries, c.entries) << c.run;
        tally += "  " + c.tally + "  " + folder + "\n";
    }
    // Per run its program and its outcome, no stage line; then the tally.
    EXPECT_TRUE(got.output.ends_with("\n" + tally)) << got.output;
    EXPECT_EQ(got.output.find("Data read into memory"), std::string::npos) << got.output;
    EXPECT_EQ(got.output.find("quarrow-failure"), std::string::npos) << got.output;
    EXPECT_NE(got.output.find("quarrow-extract: bro. ken: yepharvest failed (exit status 1: " + brokenSaid), std::string::npos)
        << got.output;
    EXPECT_NE(got.output.find("\ngood: "), std::string::npos) << got.output;
    EXPECT_LE(splitText(got.output).size(), 2 * runs.size() + 1 + runs.size()) << got.output;

    // --verbose shows the programs' progress as well.
    std::vector<std::string> verbose = arguments;
    verbose.push_back("--verbose");
    const ChildResult told = extract(verbose);
    EXPECT_EQ(told.exitStatus, 1) << told.output;
    EXPECT_NE(told.output.find("\nData read into memory.\n"), std::string::npos) << told.output;
    EXPECT_NE(told.output.find("\nFront ends' defaults filled in: "), std::string::npos) << told.output;
    EXPECT_TRUE(told.output.ends_with("\n\n" + tally)) << told.output;
}

// A report that cannot be made is said and recorded; the run succeeded.
TEST_F(Extract, AFailedReportLeavesTheRunGood) {
    runGenerator("--spectra 100 --seed 4 --output " + tool.file("r.mzML"));
    const ChildResult got = extract({tool.file("r.mzML"), "--out", tool.file("out"), "--report", "/bin/false"});
    EXPECT_EQ(got.exitStatus, 0) << got.output;
    EXPECT_NE(got.output.find("quarrow-extract: r: the report was not made: quarrow-report ended with status 1"),
              std::string::npos)
        << got.output;
    const auto record = readRecord(tool.file("out/r/run.tsv"));
    EXPECT_EQ(record.at("outcome").value, "ok");
    EXPECT_EQ(record.at("report").value, "not made: quarrow-report ended with status 1");
}

// A Sciex export named directly is its .wiff file's run, which wiffharvest
// reads with every export of it, and the tool says so; a folder stands for
// the runs in it.
TEST_F(Extract, ASciexExportGoesToWiffharvestAndAFolderToItsRuns) {
    WorkFolder direct;
    std::filesystem::create_directory(direct.file("runs"));
    direct.generate("--sciex qstar --samples 2 --spectra 120 --seed 9 --output " + direct.file("runs/lys.wiff"));
    direct.generate("--spectra 100 --seed 6 --output " + direct.file("runs/plain.mzML"));
    direct.generate("--folder --spectra 100 --seed 8 --output " + direct.file("runs/s7.d"));
    const ChildResult expected = direct.extract(WIFFHARVEST_PATH, direct.file("runs/lys.wiff"),
                                                "lastScan=999999999&specFeaturesFilename=specFeatures.txt&filterOpenCharges=1"
                                                "&peakListFormat=mgf");
    ASSERT_EQ(expected.exitStatus, 0) << expected.output;

    const std::string sample2 = direct.file("runs/lys-Sample2.mzML");
    const ChildResult got = extract({sample2, "-o", tool.file("one")});
    ASSERT_EQ(got.exitStatus, 0) << got.output;
    EXPECT_NE(got.output.find("wiffharvest " + direct.file("runs/lys.wiff") + "\nNote: " + sample2 +
                              " is an export of a .wiff file: wiffharvest reads it as " + direct.file("runs/lys.wiff") +
                              ", with every export of that file beside it\n"),
              std::string::npos)
        << got.output;
    EXPECT_TRUE(folderContents(tool.file("one/lys/peaklists")) == direct.peakLists());
    const auto record = readRecord(tool.file("one/lys/run.tsv"));
    EXPECT_EQ(record.at("program").value, "wiffharvest");
    EXPECT_EQ(record.at("input").value, sample2);
    EXPECT_EQ(record.at("data file").value, direct.file("runs/lys.wiff"));

    const ChildResult all = extract({direct.file("runs"), "-o", tool.file("all")});
    ASSERT_EQ(all.exitStatus, 0) << all.output;
    const std::map<std::string, std::string> programs = {
        {"lys", "wiffharvest"}, {"plain", "yepharvest"}, {"s7", "yepharvest"}};
    for (const auto& [name, program] : programs) {
        EXPECT_EQ(readRecord(tool.file("all/" + name + "/run.tsv")).at("program").value, program) << name;
        EXPECT_EQ(filesEndingIn(tool.file("all/" + name + "/peaklists"), ".mgf"), name == "lys" ? 2 : 1) << name;
    }
    EXPECT_EQ(folderContents(tool.file("all")).size(), programs.size());
}

// A program that stands for a slow run: it says it has started (a line in
// $MARK), then waits until a signal ends it, and ends as the programs do on
// one, with status 1 (the fatal path).
std::string slowProgram(const TempDir& dir) {
    const std::string slow = dir.file("slow");
    writeWholeFile(slow,
                   "#!/bin/sh\n"
                   "trap 'kill $waiting; exit 1' TERM INT HUP\n"
                   "/bin/sleep 600 >/dev/null 2>&1 &\n"
                   "waiting=$!\n"
                   "echo started >> \"$MARK\"\n"
                   "wait $waiting\n");
    std::filesystem::permissions(slow, std::filesystem::perms::owner_all);
    return slow;
}

bool waitForFile(const std::string& path) {
    for (int wait = 0; wait < 12000 && !fileExists(path); ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fileExists(path);
}

// A stop signal is passed on to the running program and stops the call
// after it: that run is recorded as stopped by it (though the program ended
// with status 1, on its fatal path), the later runs are not started and
// leave no folder, and the status is 128 + the signal.
TEST_F(Extract, AStopSignalEndsTheCallAfterTheRunningProgram) {
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        TempDir call;
        for (const char* run : {"a", "b", "c"}) runGenerator("--spectra 40 --seed 2 --output " + call.file(run) + ".mzML");
        const std::string started = call.file("started");
        const int pid = startProgram({EXTRACT_PATH, "", {{"MARK", started}}, "",
                                      {call.file("a.mzML"), call.file("b.mzML"), call.file("c.mzML"), "--yepharvest",
                                       slowProgram(call), "-o", call.file("out")}},
                                     call.file("output.txt"));
        ASSERT_TRUE(waitForFile(started)) << number;
        ::kill(pid, number);
        EXPECT_EQ(waitForProgram(pid), 128 + number) << number;
        const auto record = readRecord(call.file("out/a/run.tsv"));
        EXPECT_EQ(record.at("outcome").value, "stopped") << number;
        EXPECT_EQ(record.at("signal").value, std::to_string(number)) << number;
        EXPECT_FALSE(std::filesystem::exists(call.file("out/b"))) << number;
        EXPECT_FALSE(std::filesystem::exists(call.file("out/c"))) << number;
    }
}

// Runs side by side say what they say in the order given, whichever ends
// first: the first run here waits until the last has its record, the
// second is broken. The call's lines, status, records and peak lists are
// those of one run after another.
TEST_F(Extract, RunsSideBySideAreShownAndTalliedInTheOrderGiven) {
    for (const char* run : {"first", "last"}) runGenerator("--spectra 120 --seed 5 --output " + tool.file(run) + ".mzML");
    std::filesystem::create_directory(tool.file("broken.d"));
    writeWholeFile(tool.file("broken.d/Analysis.mzML"), "<mzML>cut off");
    const std::string waiting = tool.file("waiting");
    writeWholeFile(waiting, "#!/bin/sh\ncase \"$QUERY_STRING\" in\n*first.mzML*)\n  i=0\n  while [ ! -e '" +
                                tool.file("two/last/run.tsv") + "' ] && [ $i -lt 6000 ]; do /bin/sleep 0.05; i=$((i+1)); done ;;\n"
                                "esac\nexec " + YEPHARVEST_PATH + "\n");
    std::filesystem::permissions(waiting, std::filesystem::perms::owner_all);
    const std::vector<std::string> runs = {tool.file("first.mzML"), tool.file("broken.d"), tool.file("last.mzML")};
    std::vector<std::string> oneByOne = runs;
    oneByOne.insert(oneByOne.end(), {"--yepharvest", YEPHARVEST_PATH, "--out", tool.file("one")});
    std::vector<std::string> sideBySide = runs;
    sideBySide.insert(sideBySide.end(), {"--jobs", "2", "--yepharvest", waiting, "--out", tool.file("two")});
    const ChildResult one = extract(oneByOne);
    const ChildResult two = extract(sideBySide);
    EXPECT_EQ(one.exitStatus, 1) << one.output;
    EXPECT_EQ(two.exitStatus, 1) << two.output;
    std::string asOne = two.output;
    for (std::size_t at = 0; (at = asOne.find(tool.file("two/"), at)) != std::string::npos;) {
        asOne.replace(at, tool.file("two/").size(), tool.file("one/"));
    }
    EXPECT_EQ(asOne, one.output);
    EXPECT_TRUE(one.output.ends_with("3 runs: 2 finished, 1 failed, 0 stopped\n"
                                     "  finished  " + tool.file("one/first/") + "\n"
                                     "  failed    " + tool.file("one/broken/") + "\n"
                                     "  finished  " + tool.file("one/last/") + "\n"))
        << one.output;
    const std::vector<std::pair<std::string, std::string>> outcomes = {{"first", "ok"}, {"broken", "failed"}, {"last", "ok"}};
    for (const auto& [run, outcome] : outcomes) {
        EXPECT_EQ(readRecord(tool.file("two/" + run + "/run.tsv")).at("outcome").value, outcome) << run;
        if (outcome != "ok") continue;
        const auto lists = folderContents(tool.file("two/" + run + "/peaklists"));
        EXPECT_EQ(lists.size(), 1U) << run;
        EXPECT_EQ(lists, folderContents(tool.file("one/" + run + "/peaklists"))) << run;
    }
}

// An interrupt reaches every running program of a call of runs side by
// side: each is recorded as stopped by it, no run starts after it, and the
// call's status is 128 + the signal.
TEST_F(Extract, AStopSignalStopsEveryRunningProgramAndStartsNoMore) {
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        TempDir call;
        for (const char* run : {"a", "b", "c"}) runGenerator("--spectra 40 --seed 2 --output " + call.file(run) + ".mzML");
        const std::string started = call.file("started");
        const int pid = startProgram({EXTRACT_PATH, "", {{"MARK", started}}, "",
                                      {call.file("a.mzML"), call.file("b.mzML"), call.file("c.mzML"), "--jobs", "2",
                                       "--yepharvest", slowProgram(call), "-o", call.file("out")}},
                                     call.file("output.txt"));
        bool bothStarted = false;
        for (int wait = 0; wait < 12000 && !bothStarted; ++wait) {
            bothStarted = fileExists(started) && splitText(readWholeFile(started)).size() == 2;
            if (!bothStarted) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(bothStarted) << number;
        ::kill(pid, number);
        EXPECT_EQ(waitForProgram(pid), 128 + number) << number;
        for (const char* run : {"a", "b"}) {
            const auto record = readRecord(call.file("out/") + run + "/run.tsv");
            EXPECT_EQ(record.at("outcome").value, "stopped") << number << run;
            EXPECT_EQ(record.at("signal").value, std::to_string(number)) << number << run;
        }
        EXPECT_FALSE(std::filesystem::exists(call.file("out/c"))) << number;
        EXPECT_EQ(splitText(readWholeFile(started)).size(), 2U) << number;
        const std::string output = readWholeFile(call.file("output.txt"));
        EXPECT_TRUE(output.ends_with("  stopped   " + call.file("out/b/") + "\n  not run   " + call.file("out/c/") + "\n"))
            << output;
    }
}

// A program whose reader goes away (its launcher killed) ends on its fatal
// path, which says so and removes its temporaries, not by SIGPIPE at once.
TEST_F(Extract, AProgramWhoseReaderIsGoneEndsOnItsFatalPath) {
    WorkFolder direct;
    direct.generate("--spectra 200 --seed 4 --output " + direct.file("r.mzML"));
    const std::string query = "xtractorDataFilename=" + direct.file("r.mzML") + "&resultsXtractorDir=" +
                              direct.file("peaklists/") + "&logFileDir=" + direct.file("logs/") + "&peakListFormat=both";
    const ChildResult got = runInChild([&] {
        int ends[2];
        if (::pipe(ends) != 0) std::_Exit(90);
        ::close(ends[0]);
        ::dup2(ends[1], STDOUT_FILENO);
        ::dup2(STDOUT_FILENO, STDERR_FILENO);
        if (::chdir(direct.file("").c_str()) != 0) std::_Exit(91);
        const std::string variable = "QUERY_STRING=" + query;
        char* const environment[] = {const_cast<char*>(variable.c_str()), const_cast<char*>("REQUEST_METHOD=GET"), nullptr};
        char* const arguments[] = {const_cast<char*>(YEPHARVEST_PATH), nullptr};
        ::signal(SIGPIPE, SIG_DFL);
        ::execve(YEPHARVEST_PATH, arguments, environment);
        std::_Exit(92);
    });
    EXPECT_EQ(got.exitStatus, 1);
    for (const char* folder : {"peaklists", "logs"}) {
        for (const auto& [name, bytes] : folderContents(direct.file(folder))) {
            EXPECT_FALSE(name.ends_with(".tmp")) << name;
        }
    }
}

// Each run's folder is its source's: two runs whose exports are both
// Analysis.mzML are their run folders' runs; a source of the same name
// from elsewhere is refused before anything runs, naming both, and the
// earlier results stay as they were; a re-run of the same source replaces
// them.
TEST_F(Extract, EachRunFolderHoldsTheResultsOfOneSource) {
    for (const char* run : {"a.d", "b.D", "x/s.d", "y/s.d"}) runGenerator("--folder --spectra 60 --seed 5 --output " + tool.file(run));
    for (const char* run : {"p/run.mzML", "q/run.mzML"}) {
        std::filesystem::create_directories(std::filesystem::path(tool.file(run)).parent_path());
        runGenerator("--spectra 60 --seed 6 --output " + tool.file(run));
    }
    const std::string out = tool.file("out");
    const ChildResult both = extract({tool.file("a.d/Analysis.mzML"), tool.file("b.D/Analysis.mzML"), "-o", out});
    ASSERT_EQ(both.exitStatus, 0) << both.output;
    for (const char* run : {"a", "b"}) {
        EXPECT_EQ(readRecord(tool.file("out/") + run + "/run.tsv").at("data file").value,
                  tool.file(run == std::string("a") ? "a.d/Analysis.yep" : "b.D/Analysis.yep"));
        EXPECT_EQ(filesEndingIn(tool.file("out/") + run + "/peaklists", ".mgf"), 1) << run;
    }
    const std::vector<std::pair<std::string, std::string>> sources = {{"x/s.d/Analysis.mzML", "y/s.d/Analysis.mzML"},
                                                                      {"p/run.mzML", "q/run.mzML"}};
    for (const auto& [first, second] : sources) {
        ASSERT_EQ(extract({tool.file(first), "-o", out}).exitStatus, 0) << first;
        const std::string name = first.starts_with("x") ? "s" : "run";
        const auto kept = folderContents(tool.file("out/" + name + "/peaklists"));
        const std::string record = readWholeFile(tool.file("out/" + name + "/run.tsv"));
        const ChildResult other = extract({tool.file(second), "-o", out});
        EXPECT_EQ(other.exitStatus, 2) << other.output;
        EXPECT_NE(other.output.find(name + ": " + tool.file("out/" + name + "/") + " holds the results of " +
                                    tool.file(first)),
                  std::string::npos)
            << other.output;
        EXPECT_NE(other.output.find("not of " + tool.file(second)), std::string::npos) << other.output;
        EXPECT_TRUE(folderContents(tool.file("out/" + name + "/peaklists")) == kept) << second;
        EXPECT_EQ(readWholeFile(tool.file("out/" + name + "/run.tsv")), record) << second;
        // The same source, named another way, is the same run.
        const std::string again = first.starts_with("x") ? "x/s.d" : "p/run.mzML";
        const ChildResult rerun = extract({tool.file(again), "-o", out});
        EXPECT_EQ(rerun.exitStatus, 0) << rerun.output;
        EXPECT_NE(rerun.output.find("are replaced"), std::string::npos) << rerun.output;
    }
}

// A re-run never removes its own input: an export inside the folders it
// would replace is refused before anything is touched.
TEST_F(Extract, ARunWhoseInputLiesInWhatItReplacesIsRefused) {
    runGenerator("--spectra 60 --seed 7 --output " + tool.file("a.mzML"));
    ASSERT_EQ(extract({tool.file("a.mzML"), "-o", tool.file("o")}).exitStatus, 0);
    const std::vector<std::string> inside = {"o/a/peaklists/a.mzML", "o/a/logs/sub/a.mzML"};
    for (const std::string& path : inside) {
        std::filesystem::create_directories(std::filesystem::path(tool.file(path)).parent_path());
        std::filesystem::copy_file(tool.file("a.mzML"), tool.file(path));
        const auto before = folderContents(tool.file("o/a/peaklists"));
        const ChildResult got = extract({tool.file(path), "-o", tool.file("o")});
        EXPECT_EQ(got.exitStatus, 2) << got.output;
        EXPECT_NE(got.output.find(tool.file(path) + " lies in " + tool.file("o/a/")), std::string::npos) << got.output;
        EXPECT_TRUE(fileExists(tool.file(path))) << path;
        EXPECT_TRUE(folderContents(tool.file("o/a/peaklists")) == before) << path;
    }
}

// Two calls on one run folder at once: the second is refused while the
// first holds it; once the first has ended, however, the folder is free.
TEST_F(Extract, TwoCallsOnOneRunFolderAreNeverMixed) {
    runGenerator("--spectra 60 --seed 8 --output " + tool.file("s.mzML"));
    const std::string started = tool.file("started");
    const int pid = startProgram({EXTRACT_PATH, "", {{"MARK", started}}, "",
                                  {tool.file("s.mzML"), "--yepharvest", slowProgram(tool), "-o", tool.file("out")}},
                                 tool.file("first.txt"));
    ASSERT_TRUE(waitForFile(started));
    const ChildResult second = extract({tool.file("s.mzML"), "-o", tool.file("out")});
    EXPECT_EQ(second.exitStatus, 2) << second.output;
    EXPECT_NE(second.output.find("s: another call is extracting into " + tool.file("out/s/") + " now"), std::string::npos)
        << second.output;
    EXPECT_FALSE(fileExists(tool.file("out/s/run.tsv")));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(waitForProgram(pid), 128 + SIGTERM);
    EXPECT_EQ(readRecord(tool.file("out/s/run.tsv")).at("outcome").value, "stopped");
    const ChildResult third = extract({tool.file("s.mzML"), "-o", tool.file("out")});
    EXPECT_EQ(third.exitStatus, 0) << third.output;
    EXPECT_EQ(readRecord(tool.file("out/s/run.tsv")).at("outcome").value, "ok");
    // The lock goes with the call that held it.
    EXPECT_FALSE(fileExists(tool.file("out/s/.quarrow-extract.lock")));
}

// A program named by a relative path is found where it was named, not in
// the working folder the program starts in.
TEST_F(Extract, AProgramNamedByARelativePathStarts) {
    runGenerator("--spectra 60 --seed 9 --output " + tool.file("r.mzML"));
    std::filesystem::create_symlink(YEPHARVEST_PATH, tool.file("yep"));
    const ChildResult got = extract({"r.mzML", "--yepharvest", "yep", "-o", "out"}, tool.file(""));
    EXPECT_EQ(got.exitStatus, 0) << got.output;
    EXPECT_EQ(readRecord(tool.file("out/r/run.tsv")).at("program path").value, tool.file("yep"));
}

TEST_F(Extract, CommandLinesItCannotHonourAreRefusedBeforeAnythingRuns) {
    std::filesystem::create_directory(tool.file("empty"));
    // Runs that are there: nothing runs, so they need hold nothing.
    for (const char* file : {"s.d/Analysis.mzML", "w.mzML", "x/s.mzML", "two\nlines.mzML"}) {
        std::filesystem::create_directories(std::filesystem::path(tool.file(file)).parent_path());
        writeWholeFile(tool.file(file), "");
    }
    const std::string run = tool.file("s.d");
    const std::string wiff = tool.file("w.wiff");
    const std::string out = tool.file("out");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{run, "--groupscans", "5", "--out", out}, "--groupscans is no key; did you mean --groupScans?"},
        {{run, "--colour", "red", "--out", out}, "--colour is no key of yepharvest or wiffharvest"},
        {{wiff, "--autoCharge", "Find", "--out", out}, "--autoCharge is read by yepharvest only, not by wiffharvest."},
        {{run, "--out", out, "-o", out}, "--out is given more than once"},
        {{run, "--fragmentTolerance", "0.5", "--out", out}, "no stage reads it"},
        {{run, "--out", out, "--logFileDir", "/tmp/"}, "--logFileDir is set by quarrow-extract"},
        {{run, "--out", out, "--groupScans"}, "--groupScans needs a value"},
        {{run, "--groupScans", "--out", out}, "--groupScans needs a value"},
        {{run, "--groupScans", "5"}, "--out DIR is missing"},
        {{run, "--jobs", "0", "-o", out}, "--jobs 0: not a whole number from 1 to 256 (the runs extracted at once)"},
        {{run, "--jobs", "abc", "-o", out}, "--jobs abc: not a whole number from 1 to 256"},
        {{run, "--jobs", "257", "-o", out}, "--jobs 257: not a whole number from 1 to 256"},
        {{run, "--jobs=2x", "-o", out}, "--jobs 2x: not a whole number from 1 to 256"},
        {{run, "-o", out, "--jobs"}, "--jobs needs a value"},
        {{"--out", out}, "no run given"},
        {{run, tool.file("x/s.mzML"), "-o", out},
         "two runs named s: " + run + " and " + tool.file("x/s.mzML") + " (each run goes into"},
        {{tool.file("two\nlines.mzML"), "-o", out}, tool.file("two\nlines.mzML") + ": its name holds a line break"},
        {{tool.file("empty"), "-o", out}, tool.file("empty") + ": no runs in this folder"},
        // Each key's own range, from the key table.
        {{run, "--groupScans", "5x", "--out", out}, "--groupScans 5x: not a whole number (range 0 - 10000)"},
        {{run, "--groupScans", "99999999999", "--out", out}, "--groupScans 99999999999: outside its range 0 - 10000"},
        {{run, "--lastScan", "-99999999999", "--out", out}, "--lastScan -99999999999: outside its range 0 - 2147483647"},
        {{run, "--lowParent", "0x10", "--out", out}, "--lowParent 0x10: not a number (range 0 - 1000000000)"},
        {{run, "--groupScans", "10001", "--out", out}, "The value 10001 of the query key groupScans is outside its range 0 - 10000."},
        {{run, "--autoCharge", "find", "--out", out},
         "--autoCharge find: not one of Find (Find each charge), Default (Only singly charged), empty (Fixed: "
         "lowCharge = highCharge)\n"},
        // A window that takes nothing, in the words of every front end; --check
        // refuses as the call would.
        {{run, "--firstScan", "10", "--lastScan", "5", "--out", out},
         "The value 10 of the query key firstScan is above the value 5 of the query key lastScan: no scan lies "
         "between them."},
        {{run, "--lastScan=5", "--firstScan", "10", "--check", "--out", out}, "firstScan is above the value 5"},
        {{wiff, "--lowParent", "3000", "--highParent", "2000.5", "--out", out},
         "The value 3000 of the query key lowParent is above the value 2000.5 of the query key highParent: no "
         "precursor M+H lies between them."},
        {{run, "--maxCharge", "3", "--maxCharge=4", "--out", out}, "--maxCharge is given more than once"},
        // The web's refusals, in its words.
        {{run, "--specFeaturesFilename", "../f.txt", "--out", out}, "must be a plain file name"},
        {{run, "--specFeaturesFilename", "feat.html", "--out", out}, "--specFeaturesFilename feat.html: must end in .txt"},
        {{run, "--cys", "unheard-of", "--out", out},
         "--cys unheard-of: not a cysteine modification of msparams_quarrow/cysteines.tsv: pyridylethylation, "
         "acrylamide, iodoacetamide, carbamidomethyl (another name for iodoacetamide), iodoacetic-acid,"},
        {{tool.file("W.WIFF"), "--out", out}, "in lower case, .wiff"},
        {{run, wiff, "--out", out, "--wiffharvest", tool.file("none")}, "wiffharvest is not at " + tool.file("none")},
        // What is not there, or no program can read or take.
        {{tool.file("none.mzML"), "-o", out}, tool.file("none.mzML") + ": there is no such file."},
        {{tool.file("fifo.mzML"), "-o", out}, "fifo.mzML is not a regular file (a FIFO, a device or a socket)"},
        {{tool.file("dangling.mzML"), "-o", out}, tool.file("dangling.mzML") + ": there is no such file."},
        {{tool.file("loop.mzML"), "-o", out}, "loop.mzML cannot be reached: Too many levels of symbolic links."},
        {{tool.file("back\\slash.mzML"), "-o", out}, "its path holds a backslash"},
        {{tool.file(".mzML"), "-o", out}, "its file name is an export's ending alone"},
        {{tool.file("empty.d"), "-o", out}, "the run folder " + tool.file("empty.d") + " holds no run export"},
        {{tool.file("v.wiff"), "-o", out}, "no export of it lies beside it"},
        {{tool.file("beside.mzML"), "--yepharvest", "not-here", "-o", out}, "yepharvest is not at " + std::filesystem::current_path().string() + "/not-here"},
    };
    // An export beside a FIFO is still read (the FIFO never opened).
    ASSERT_EQ(::mkfifo(tool.file("fifo.mzML").c_str(), 0644), 0);
    std::filesystem::create_symlink("nowhere.mzML", tool.file("dangling.mzML"));
    std::filesystem::create_symlink("loop.mzML", tool.file("loop.mzML"));
    writeWholeFile(tool.file("back\\slash.mzML"), "");
    writeWholeFile(tool.file(".mzML"), "");
    writeWholeFile(tool.file("beside.mzML"), "");
    std::filesystem::create_directory(tool.file("empty.d"));
    for (const auto& [arguments, message] : cases) {
        const ChildResult got = extract(arguments);
        EXPECT_EQ(got.exitStatus, 2) << message;
        EXPECT_NE(got.output.find(message), std::string::npos) << got.output;
        EXPECT_FALSE(std::filesystem::exists(out)) << message;
    }
}

// The help lists the choices of the parameter folder's cysteine table, the
// two names of one modification told apart, and --check.
TEST_F(Extract, TheHelpListsEveryChoice) {
    const ChildResult got = extract({"--help"});
    EXPECT_EQ(got.exitStatus, 0);
    const std::string help = std::regex_replace(got.output, std::regex("[ \n]+"), " ");
    for (const std::string& said :
         {std::string("--cys VALUE Cysteine modification"),
          std::string("Default: pyridylethylation; values: pyridylethylation, acrylamide, iodoacetamide, carbamidomethyl "
                      "(another name for iodoacetamide), iodoacetic-acid, unmodified, ICAT-mix, N-ethyl-acetamide-mix, "
                      "leuCAT-mix, cICAT-mix."),
          std::string("values: Find (Find each charge), Default (Only singly charged), empty (Fixed: lowCharge = "
                      "highCharge)."),
          std::string("--check checks everything above as a run would")}) {
        EXPECT_NE(help.find(said), std::string::npos) << said << "\n" << got.output;
    }
}

// --check names the runs of a call it would take, runs nothing and makes
// nothing, a window of one scan or precursor mass included.
TEST_F(Extract, CheckTakesACallWithoutRunningIt) {
    std::filesystem::create_directory(tool.file("s.d"));
    writeWholeFile(tool.file("s.d/Analysis.mzML"), "");
    writeWholeFile(tool.file("w.mzML"), "");
    const std::string out = tool.file("out");
    const std::vector<std::vector<std::string>> cases = {
        {tool.file("s.d"), "--check", "--out", out},
        {tool.file("s.d"), tool.file("w.wiff"), "--firstScan", "5", "--lastScan", "5", "--out", out, "--check"},
        {tool.file("w.wiff"), "--check", "--lowParent=800.5", "--highParent=800.5", "--cys", "carbamidomethyl", "-o", out},
    };
    for (const std::vector<std::string>& arguments : cases) {
        const ChildResult got = extract(arguments);
        EXPECT_EQ(got.exitStatus, 0) << got.output;
        EXPECT_TRUE(got.output.starts_with("run\tprogram\tpath\n")) << got.output;
        EXPECT_FALSE(std::filesystem::exists(out));
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
        {{YEPHARVEST_PATH, "--version"}, "yepharvest"},
        {{WIFFHARVEST_PATH, "--version"}, "wiffharvest"},
    };
    for (const auto& [arguments, name] : cases) {
        const ChildResult got = runProgram({arguments.front(), "", {}, "",
                                            std::vector<std::string>(arguments.begin() + 1, arguments.end())});
        EXPECT_EQ(got.exitStatus, 0) << name;
        EXPECT_EQ(got.output, name + " " + QUARROW_VERSION + "\n");
        EXPECT_TRUE(std::regex_match(got.output, std::regex(name + " [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << got.output;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    // Started as a CGI program, a query of search words comes as arguments:
    // the program is a CGI program still, with its page, not a version line.
    for (const char* program : {YEPHARVEST_PATH, WIFFHARVEST_PATH}) {
        const ChildResult cgi = runProgram({program, tool.path(), {{"GATEWAY_INTERFACE", "CGI/1.1"},
                                            {"REQUEST_METHOD", "GET"}, {"QUERY_STRING", "--version"}}, "", {"--version"}});
        EXPECT_NE(cgi.output.find("<html>"), std::string::npos) << cgi.output;
        EXPECT_EQ(cgi.output.find(std::string(" ") + QUARROW_VERSION + "\n"), std::string::npos) << cgi.output;
    }
}

// A run extracted again from its own record, into another folder, gives the
// same peak lists and logs byte for byte: the record holds every setting.
TEST_F(Extract, ARunExtractedFromItsOwnRecordGivesTheSameFiles) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"sample7.d", "--folder --spectra 150 --seed 3"},
        {"lysate3.wiff", "--sciex qstar --samples 2 --spectra 120 --seed 7"},
    };
    for (const auto& [run, generator] : cases) {
        runGenerator(generator + " --output " + tool.file(run));
        const std::string name = run.substr(0, run.find('.'));
        const ChildResult first = extract({tool.file(run), "--groupScans", "7", "--peakListFormat", "both", "--maxCharge",
                                           "3", "--cys", "ICAT-mix", "--out", tool.file("first")});
        ASSERT_EQ(first.exitStatus, 0) << first.output;
        const std::string record = tool.file("first/" + name + "/run.tsv");
        const ChildResult again = extract({tool.file(run), "--settings", record, "--out", tool.file("again")});
        ASSERT_EQ(again.exitStatus, 0) << again.output;
        for (const char* sub : {"/peaklists", "/logs"}) {
            const auto want = folderContents(tool.file("first/" + name + sub));
            EXPECT_GT(want.size(), 2u) << run << sub;
            EXPECT_TRUE(want == folderContents(tool.file("again/" + name + sub))) << run << sub << " differs";
        }
        // Every key at its value; a default of the first run is given now.
        const auto before = readRecord(record);
        const auto after = readRecord(tool.file("again/" + name + "/run.tsv"));
        for (const auto& [field, row] : before) {
            if (row.source.empty() || row.source == "set for the run") continue;
            EXPECT_EQ(after.at(field).value, row.value) << run << " " << field;
            EXPECT_EQ(after.at(field).source, "given") << run << " " << field;
        }
        EXPECT_EQ(after.at("cys").value, "ICAT-mix");
        // The command line overrides the file.
        const ChildResult changed = extract({tool.file(run), "--settings", record, "--groupScans", "3", "--write-settings",
                                             tool.file("changed.tsv")});
        ASSERT_EQ(changed.exitStatus, 0) << changed.output;
        const auto written = readRecord(tool.file("changed.tsv"));
        EXPECT_EQ(written.at("groupScans").value, "3");
        EXPECT_EQ(written.at("cys").value, "ICAT-mix");
    }
}

// --write-settings writes every key with its value and source and runs
// nothing; --settings reads it back to the same settings, as it reads a
// file written by hand.
TEST_F(Extract, WrittenSettingsReadBackToTheSameSettings) {
    const std::string run = tool.file("s.d");
    runGenerator("--folder --spectra 60 --seed 2 --output " + run);
    const ChildResult written =
        extract({run, "--groupScans", "10", "--cys", "ICAT-mix", "--write-settings", tool.file("one.tsv")});
    ASSERT_EQ(written.exitStatus, 0) << written.output;
    EXPECT_EQ(written.output, "settings written to " + tool.file("one.tsv") + "\n");
    EXPECT_FALSE(std::filesystem::exists(tool.file("out")));
    const auto settings = readRecord(tool.file("one.tsv"));
    EXPECT_EQ(settings.at("groupScans").value, "10");
    EXPECT_EQ(settings.at("groupScans").source, "given");
    EXPECT_EQ(settings.at("lastScan").value, "999999999");
    EXPECT_EQ(settings.at("lastScan").source, "front ends' default");
    EXPECT_EQ(settings.at("lowParent").source, "program's default");
    EXPECT_EQ(settings.count("autoCharge"), 1u);
    EXPECT_EQ(settings.count("logFileDir"), 0u);
    EXPECT_EQ(settings.count("xtractorDataFilename"), 0u);

    // Read back, and written again: the same file but every key now given.
    ASSERT_EQ(extract({run, "--settings", tool.file("one.tsv"), "--write-settings", tool.file("two.tsv")}).exitStatus, 0);
    const std::string two = readWholeFile(tool.file("two.tsv"));
    const std::string one = readWholeFile(tool.file("one.tsv"));
    const std::size_t header = one.find('\n') + 1;
    EXPECT_EQ(one.substr(0, header) + std::regex_replace(one.substr(header), std::regex("\t[^\t\n]*\n"), "\tgiven\n"),
              two);
    // By hand, in the other form: the same as the options.
    writeWholeFile(tool.file("mine.txt"), "# my lab's settings\ngroupScans = 10\n\ncys = ICAT-mix\n");
    ASSERT_EQ(extract({run, "--settings", tool.file("mine.txt"), "--write-settings", tool.file("three.tsv")}).exitStatus, 0);
    EXPECT_EQ(readWholeFile(tool.file("three.tsv")), readWholeFile(tool.file("one.tsv")));
    // With no run, the keys of both programs; a wiffharvest run reads them
    // back without the default of the key only yepharvest reads.
    ASSERT_EQ(extract({"--write-settings", tool.file("both.tsv")}).exitStatus, 0);
    EXPECT_EQ(readRecord(tool.file("both.tsv")).count("autoCharge"), 1u);
    writeWholeFile(tool.file("w.mzML"), "");
    const ChildResult wiff = extract({tool.file("w.wiff"), "--settings", tool.file("both.tsv"), "--write-settings",
                                      tool.file("w.tsv")});
    ASSERT_EQ(wiff.exitStatus, 0) << wiff.output;
    EXPECT_EQ(readRecord(tool.file("w.tsv")).count("autoCharge"), 0u);
}

// A settings file's keys and values are checked as the options are, in the
// same words, naming the file and line; nothing runs.
TEST_F(Extract, ASettingsFileWithABadLineIsRefused) {
    const std::string run = tool.file("s.d");
    std::filesystem::create_directories(run);
    writeWholeFile(run + "/Analysis.mzML", "");
    writeWholeFile(tool.file("w.mzML"), "");
    const std::string file = tool.file("my.tsv");
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {run, "groupScans = 5\ncys = nonesuch\n",
         file + " line 2: cys nonesuch: not a cysteine modification of msparams_quarrow/cysteines.tsv"},
        {run, "groupScans\t12x\n", file + " line 1: groupScans 12x: not a whole number (range 0 - 10000)"},
        {run, "\n# x\nautocharge = Find\n", file + " line 3: autocharge is no key; did you mean autoCharge?"},
        {run, "colour = red\n", file + " line 1: colour is no key of yepharvest or wiffharvest"},
        {tool.file("w.wiff"), "autoCharge = Find\n", file + " line 1: autoCharge is read by yepharvest only, not by wiffharvest."},
        {run, "logFileDir = /tmp/\n", file + " line 1: logFileDir is set by quarrow-extract"},
        {run, "groupScans = 5\ngroupScans = 6\n", file + " line 1: groupScans is given more than once"},
        {run, "groupScans 5\n", file + " line 1: neither KEY<TAB>VALUE nor KEY = VALUE"},
    };
    for (const auto& [input, text, message] : cases) {
        writeWholeFile(file, text);
        const ChildResult got = extract({input, "--settings", file, "--out", tool.file("out")});
        EXPECT_EQ(got.exitStatus, 2) << text;
        EXPECT_NE(got.output.find("quarrow-extract: " + message), std::string::npos) << got.output;
        EXPECT_FALSE(std::filesystem::exists(tool.file("out"))) << text;
    }
    const ChildResult missing = extract({run, "--settings", tool.file("none.tsv"), "--out", tool.file("out")});
    EXPECT_EQ(missing.exitStatus, 2);
    EXPECT_NE(missing.output.find("--settings " + tool.file("none.tsv") + ": cannot read it: No such file or directory"),
              std::string::npos)
        << missing.output;
}

}  // namespace
