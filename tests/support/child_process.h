#pragma once
// Runs code or a program in a child process and captures what it writes to
// standard output and its exit status: fatal paths end the process, so they
// are tested from outside it.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ChildResult {
    int exitStatus = -1;   // the status passed to exit; -1 when killed by a signal
    std::string output;    // everything written to standard output
};

// Runs `body` in a forked child; the child exits 0 when `body` returns.
ChildResult runInChild(const std::function<void()>& body);

// Runs each body in a forked child, all released at the same moment, and
// returns their results in order.
std::vector<ChildResult> runInChildrenTogether(const std::vector<std::function<void()>>& bodies);

struct ProgramRun {
    std::string program;                        // path of the executable
    std::string workingDirectory;               // "" keeps the current one
    std::map<std::string, std::string> environment;  // the whole environment
    std::string standardInput;
    std::vector<std::string> arguments;         // after the program name
    // A file-size limit (RLIMIT_FSIZE, in bytes) for the program, with
    // SIGXFSZ ignored: a write past it fails with EFBIG.
    std::optional<unsigned long long> fileSizeLimit = std::nullopt;
};

// Starts the program as a web server would: only the given environment, the
// given working directory, the given request body on standard input.
ChildResult runProgram(const ProgramRun& run);

// Starts the program as runProgram does, its standard output into the file
// `outputFile`, and returns at once with its process id.
int startProgram(const ProgramRun& run, const std::string& outputFile);
// Waits for a program started so: the status passed to exit, -1 when killed
// by a signal.
int waitForProgram(int pid);

// Starts all the programs at the same moment (each waits at a common gate
// until every one has been started) and returns their results in order.
std::vector<ChildResult> runProgramsTogether(const std::vector<ProgramRun>& runs);
