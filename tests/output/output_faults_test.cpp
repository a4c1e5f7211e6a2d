// The programs facing files they cannot write: a log on a full device, a
// file-size limit, a results folder where a peak list cannot be written or
// renamed. Each such run ends with the error page and status 1, and never
// leaves a half peak list under a final name.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>

#include "tests/output/output_test_support.h"
#include "tests/support/suite_set_up.h"

namespace {

using namespace output_tests;
namespace fs = std::filesystem;

const char* const logNames[] = {"parentChargeCheck.txt", "xtractorRejectReasons.txt", "specFeatures.txt",
                                "runStats.txt"};

// One small generated run of each program, and what a run without faults
// leaves in its folders.
class OutputFaults : public ::testing::Test {
protected:
    struct Reference {
        GeneratedRun run;
        std::string query;
        std::map<std::string, std::string> peakLists;
        std::map<std::string, std::string> logs;
    };

    static void prepare() {
        data_ = std::make_unique<TempDir>();
        data_->installParameterFiles();
        runGenerator("--folder --output " + data_->file("s.d") + " --spectra 120 --seed 3");
        runGenerator("--sciex qstar --spectra 150 --seed 5 --output " + data_->file("w.wiff"));
        // autoCharge=Default keeps the charge-check log short.
        yep_ = makeReference({YEPHARVEST_PATH, data_->file("s.d/Analysis.yep")}, "&autoCharge=Default");
        wiff_ = makeReference({WIFFHARVEST_PATH, data_->file("w.wiff")}, "");
    }
    static void TearDownTestSuite() { data_.reset(); }

    static Reference makeReference(const GeneratedRun& run, const std::string& query) {
        const std::string folder = data_->file(run.program == YEPHARVEST_PATH ? "ref-yep" : "ref-wiff");
        fs::create_directories(folder + "/logs");
        fs::create_directories(folder + "/peaklists");
        const ChildResult result =
            runProgram(programRun(run, data_->path(), folder + "/logs/", folder + "/peaklists/", query));
        EXPECT_EQ(result.exitStatus, 0) << result.output;
        Reference reference{run, query, folderContents(folder + "/peaklists"), folderContents(folder + "/logs")};
        EXPECT_GT(reference.peakLists.size(), 10u);
        return reference;
    }

    // Fresh, empty log and peak-list folders.
    void SetUp() override {
        ASSERT_TRUE(suite_.ready(&prepare)) << "the reference runs could not be made";
        for (const std::string& folder : {logs(), peaklists()}) {
            fs::remove_all(folder);
            fs::create_directory(folder);
        }
    }
    std::string logs() const { return dir_.file("logs/"); }
    // Markup in a folder name reaches the error page as text.
    std::string peaklists() const { return dir_.file("peak<i>lists/"); }
    std::string peaklistsOnThePage() const { return dir_.file("peak&lt;i&gt;lists/"); }

    ProgramRun runOf(const Reference& reference) const {
        return programRun(reference.run, data_->path(), logs(), peaklists(), reference.query);
    }

    // What the run left in the peak-list folder: finished peak lists only,
    // each as the run without faults wrote it.
    static void expectOnlyWholePeakLists(const std::string& folder, const Reference& reference) {
        for (const auto& [name, content] : folderContents(folder)) {
            const auto expected = reference.peakLists.find(name);
            ASSERT_NE(expected, reference.peakLists.end()) << "a file that is no peak list: " << name;
            EXPECT_EQ(content, expected->second) << "an unfinished peak list: " << name;
        }
    }

    // The error page with the message's lines, as html_message writes them
    // (a plain-text message would end its lines without "<BR>").
    static void expectErrorPage(const ChildResult& result, const std::vector<std::string>& lines) {
        EXPECT_EQ(result.exitStatus, 1) << result.output;
        std::string expected;
        for (const std::string& line : lines) expected += line + "\n<BR>";
        EXPECT_NE(result.output.find(expected), std::string::npos) << "expected:\n" << expected << "\nin:\n"
                                                                   << result.output;
    }

    static inline SuiteSetUp suite_;
    static inline std::unique_ptr<TempDir> data_;
    static inline Reference yep_;
    static inline Reference wiff_;
    TempDir dir_;
};

// A log that is the full device: the three logs with a header fail when the
// header is written at the start, runStats.txt when its block is written at
// the end of the run (on the way out of the process).
TEST_F(OutputFaults, EachLogOnAFullDevice) {
    for (const Reference* reference : {&yep_, &wiff_}) {
        for (const char* name : logNames) {
            SCOPED_TRACE(std::string(name) + (reference == &yep_ ? " yepharvest" : " wiffharvest"));
            SetUp();
            fs::create_symlink("/dev/full", logs() + name);
            const ChildResult result = runProgram(runOf(*reference));
            const bool header = std::strcmp(name, "runStats.txt") != 0;
            expectErrorPage(result, {"File write (fwrite) failure.",
                                     header ? "Function: openXtractorOutputFiles" : "Function: writeLogRow",
                                     "Filename = " + logs() + name + ".",
                                     "System error message: No space left on device."});
            expectOnlyWholePeakLists(peaklists(), *reference);
            if (!header) {
                EXPECT_EQ(folderContents(peaklists()), reference->peakLists);
            }
        }
    }
}

// The first peak list is larger than the file-size limit, the logs written
// before it are not.
TEST_F(OutputFaults, PeakListPastTheFileSizeLimit) {
    const auto& [firstName, firstContent] = *yep_.peakLists.begin();
    ProgramRun run = runOf(yep_);
    run.fileSizeLimit = firstContent.size() - 1;
    const ChildResult result = runProgram(run);
    expectErrorPage(result, {"File write (fwrite) failure.", "Function: processVelmoraLCMSMSrun",
                             "Filename = " + peaklistsOnThePage() + firstName + ".", "System error message: File too large."});
    EXPECT_TRUE(folderContents(peaklists()).empty());
}

// A spectrum-features log that nears the limit: the row that does not fit is
// not left half in the log, and the run ends there.
TEST_F(OutputFaults, LogRowPastTheFileSizeLimit) {
    constexpr unsigned long long limit = 200000;
    const std::string reference = yep_.logs.at("specFeatures.txt");
    const std::string header = firstLine(reference);
    std::string earlier = header;
    const std::string filler = "\nearlier.0001.0001.2.pkl\t1";
    while (earlier.size() + filler.size() <= limit - 400) earlier += filler;
    writeWholeFile(logs() + "specFeatures.txt", earlier);
    ProgramRun run = runOf(yep_);
    run.fileSizeLimit = limit;
    const ChildResult result = runProgram(run);
    expectErrorPage(result, {"File write (fwrite) failure.", "Function: writeLogRow",
                             "Filename = " + logs() + "specFeatures.txt.", "System error message: File too large."});
    const std::string features = readWholeFile(logs() + "specFeatures.txt");
    ASSERT_EQ(features.substr(0, earlier.size()), earlier);
    // What the run added is its first rows, whole.
    const std::string added = features.substr(earlier.size());
    const std::string rows = reference.substr(header.size());
    EXPECT_FALSE(added.empty());
    EXPECT_EQ(rows.substr(0, added.size()), added);
    EXPECT_EQ(rows[added.size()], '\n') << "a row cut short: " << added;
    expectOnlyWholePeakLists(peaklists(), yep_);
}

// A folder holds the name of a peak list, or of a run file: the file
// written under its temporary name cannot take its final one. Neither that
// temporary nor another run file's is left behind.
TEST_F(OutputFaults, PeakListNameTakenByAFolder) {
    for (const Reference* reference : {&yep_, &wiff_}) {
        const bool yep = reference == &yep_;
        const std::string stem = yep ? "s" : "w";
        for (const std::string& taken : {std::next(reference->peakLists.begin(), 3)->first, stem + ".mgf", stem + ".mzML"}) {
            SCOPED_TRACE(taken);
            SetUp();
            fs::create_directory(peaklists() + taken);
            writeWholeFile(peaklists() + taken + "/inside", "x");
            ProgramRun run = runOf(*reference);
            run.environment["QUERY_STRING"] += "&peakListFormat=both,mzml";
            const ChildResult result = runProgram(run);
            const std::string function = taken.ends_with(".mgf")    ? "Function: writeMgfFile"
                                         : taken.ends_with(".mzML") ? "Function: writeMzmlFile"
                                         : yep                      ? "Function: processVelmoraLCMSMSrun"
                                                                    : "Function: processSciexDDErun";
            expectErrorPage(result, {"File rename (rename) failure.", function,
                                     "Filename = " + peaklistsOnThePage() + taken + ".", "System error message: Is a directory."});
            EXPECT_EQ(readWholeFile(peaklists() + taken + "/inside"), "x");
            fs::remove_all(peaklists() + taken);
            for (const auto& [name, bytes] : folderContents(peaklists())) {
                EXPECT_FALSE(name.ends_with(".tmp")) << name;
            }
            // The run files are committed in table order: the MGF file before
            // the mzML file, none after a failure.
            EXPECT_FALSE(fileExists(peaklists() + stem + ".mzML"));
            EXPECT_EQ(fileExists(peaklists() + stem + ".mgf"), taken.ends_with(".mzML"));
            fs::remove(peaklists() + stem + ".mgf");
            expectOnlyWholePeakLists(peaklists(), *reference);
        }
    }
}

// An mzML file that outgrows the file-size limit, where nothing else does:
// the run ends with the write failure, and no part of it is left.
TEST_F(OutputFaults, MzmlFilePastTheFileSizeLimit) {
    std::size_t largest = 0;
    for (const auto& [name, bytes] : yep_.logs) largest = std::max(largest, bytes.size());
    ProgramRun run = runOf(yep_);
    run.environment["QUERY_STRING"] += "&peakListFormat=mzml";
    run.fileSizeLimit = largest + 1;
    const ChildResult result = runProgram(run);
    expectErrorPage(result, {"File write (fwrite) failure.", "Function: writeMzmlFile",
                             "Filename = " + peaklistsOnThePage() + "s.mzML.", "System error message: File too large."});
    EXPECT_TRUE(folderContents(peaklists()).empty());
    EXPECT_EQ(folderContents(logs()).size(), 4u);
}

// Rows written before a fatal error are in the logs: here the peak-list
// folder is missing, which ends the run at its first peak list (or, when an
// MGF file is asked for, where it is created), after the charge-check and
// reject rows. When on the way out the statistics cannot be written either,
// both messages are on the page, and the status stays 1.
TEST_F(OutputFaults, RowsBeforeAFatalErrorAreKept) {
    fs::remove_all(peaklists());
    const std::vector<std::string> fatal = {"File open (fopen) failure.", "Function: processVelmoraLCMSMSrun"};
    for (const std::string format : {"pkl", "both"}) {
        ProgramRun run = runOf(yep_);
        run.environment["QUERY_STRING"] += "&peakListFormat=" + format;
        expectErrorPage(runProgram(run), {"File open (fopen) failure.",
                                          format == "pkl" ? "Function: processVelmoraLCMSMSrun" : "Function: writeMgfFile"});
        EXPECT_EQ(readWholeFile(logs() + "xtractorRejectReasons.txt"), yep_.logs.at("xtractorRejectReasons.txt"));
        EXPECT_EQ(readWholeFile(logs() + "parentChargeCheck.txt"), yep_.logs.at("parentChargeCheck.txt"));
        EXPECT_EQ(readWholeFile(logs() + "specFeatures.txt"), firstLine(yep_.logs.at("specFeatures.txt")));
        // The run information written by the reader, and no statistics block.
        EXPECT_EQ(readWholeFile(logs() + "runStats.txt"),
                  yep_.logs.at("runStats.txt").substr(0, yep_.logs.at("runStats.txt").find("numMSMSscansCollected")));
        for (const char* log : {"xtractorRejectReasons.txt", "parentChargeCheck.txt", "specFeatures.txt", "runStats.txt"}) {
            fs::remove(logs() + log);
        }
    }

    fs::remove(logs() + "runStats.txt");
    fs::create_symlink("/dev/full", logs() + "runStats.txt");
    const ChildResult result = runProgram(runOf(yep_));
    expectErrorPage(result, fatal);
    expectErrorPage(result, {"File write (fwrite) failure.", "Function: writeLogRow",
                             "Filename = " + logs() + "runStats.txt.",
                             "System error message: No space left on device."});
}

}  // namespace
