// A run stopped by SIGTERM, SIGINT or SIGHUP (a cluster's time limit, Ctrl-C,
// a closed terminal), or by SIGPIPE (what reads its output gone) while its MGF file is still open ends as a fatal error
// does: the page says why, status 1, and no temporary is left behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/output/output_test_support.h"

namespace {

using namespace output_tests;
namespace fs = std::filesystem;

std::vector<std::string> temporaries(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".tmp") found.push_back(entry.path().filename().string());
    }
    return found;
}

TEST(StopSignals, EndTheRunAsAFatalErrorDoesAndRemoveItsTemporaries) {
    TempDir dir;
    dir.installParameterFiles();
    // Enough written spectra (none merged) that the features rows are
    // written out part way through the peak lists, not only at the end.
    runGenerator("--folder --output " + dir.file("big.d") + " --spectra 4000 --seed 4");
    runGenerator("--sciex qstar --spectra 4000 --seed 6 --output " + dir.file("big.wiff"));
    struct Case {
        GeneratedRun run;
        int signal;
        const char* name;
    };
    const std::vector<Case> cases = {
        {{YEPHARVEST_PATH, dir.file("big.d/Analysis.yep")}, SIGTERM, "SIGTERM"},
        {{WIFFHARVEST_PATH, dir.file("big.wiff")}, SIGINT, "SIGINT"},
        {{YEPHARVEST_PATH, dir.file("big.d/Analysis.yep")}, SIGHUP, "SIGHUP"},
        // The reader of what it writes gone (a launcher killed): not sent,
        // but the reader of its features log closed under it.
        {{WIFFHARVEST_PATH, dir.file("big.wiff")}, SIGPIPE, "SIGPIPE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string logs = dir.file("logs/");
        const std::string peaklists = dir.file("peaklists/");
        for (const std::string& folder : {logs, peaklists}) {
            fs::remove_all(folder);
            fs::create_directory(folder);
        }
        // The features log is a small pipe that is never read: the run stops
        // at its first rows written out, with its MGF file open, and cannot
        // end before the signal comes.
        const std::string features = logs + "specFeatures.txt";
        ASSERT_EQ(::mkfifo(features.c_str(), 0644), 0);
        const int pipe = ::open(features.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(pipe, 0);
        ASSERT_GE(::fcntl(pipe, F_SETPIPE_SZ, 4096), 0);
        const int pid = startProgram(
            programRun(c.run, dir.path(), logs, peaklists, "&peakListFormat=mgf&groupScans=0"), dir.file("page.html"));
        // Not a time limit on the program: a bound on waiting for a run that
        // never opens its MGF file.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        bool open = false;
        int ended = 0;
        while (!open && std::chrono::steady_clock::now() < giveUp && ::waitpid(pid, &ended, WNOHANG) == 0) {
            open = !temporaries(peaklists).empty();
            if (!open) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_TRUE(open) << "the MGF file's temporary never appeared";
        const bool readerGone = open && c.signal == SIGPIPE;
        if (readerGone) {
            ::close(pipe);
        } else {
            ::kill(pid, open ? c.signal : SIGKILL);
        }
        const int status = waitForProgram(pid);
        if (!readerGone) ::close(pipe);
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(temporaries(peaklists).empty()) << temporaries(peaklists).front();
        EXPECT_TRUE(temporaries(logs).empty());
        const std::string page = readWholeFile(dir.file("page.html"));
        // A write into a closed pipe fails too: whichever of the two says it first.
        const bool said = page.find("The run was stopped by " + std::string(c.name) + ".\n<BR>") != std::string::npos ||
                          (readerGone && page.find("System error message: Broken pipe.") != std::string::npos);
        EXPECT_TRUE(said) << page;
        if (!readerGone) {
            EXPECT_EQ(page.find("System error message"), std::string::npos) << page;
        }
    }
}

}  // namespace
