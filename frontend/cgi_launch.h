#pragma once
// One program started as a web server starts a CGI program: the query in
// QUERY_STRING, no request body, a working folder that holds the parameter
// folder msparams_quarrow/; its output handed on as it comes.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/failure_line.h"

struct CgiLaunch {
    std::string program;     // the binary
    std::string parameters;  // the msparams_quarrow folder to give it
    std::string queryString;
};

// The program could not be started (no working folder, no process).
class LaunchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LaunchOutcome {
    int exitStatus = 0;  // when it exited
    int signal = 0;      // when a signal ended it
    // The program's failure line, when it wrote one (failure_line.h).
    std::optional<FailureLine> failure = std::nullopt;
    // What it took, from the operating system: from its start to its end,
    // its processor time (user and system) and its largest resident size.
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long peakMemoryKb = 0;
};

// Programs runAsCgi may run at once, on as many threads.
inline constexpr std::size_t maxProgramsAtOnce = 256;

// From now on SIGINT, SIGTERM and SIGHUP do not end this process: they are
// passed on to every program runAsCgi runs, and the first is remembered
// (stopSignalReceived), for the caller to stop once they have ended.
// One the starter ignores stays ignored.
void passStopSignalsOn();
// The first stop signal received since passStopSignalsOn, or 0.
int stopSignalReceived();

// Runs the program to its end in a fresh working folder (removed
// afterwards); none when a stop signal was received already, and the
// outcome then says that signal. A program that ends with an error after a
// stop signal reached it was stopped by that signal, as the outcome says.
// The environment is this process's, with the request's variables set.
LaunchOutcome runAsCgi(const CgiLaunch& launch, const std::function<void(std::string_view)>& output);

// What every CGI start has in common, here and in the web launcher: the
// program with no standard input, `workDir` as its working folder, exactly
// `environment` (NAME=value texts) and the signals this process may have
// changed at their defaults; its standard output handed to `output` as it
// comes. What it writes on standard error is kept until it ends: its
// failure line is taken out into the outcome, the rest written on this
// process's standard error. `running(pid)` is told the child once it exists and `running(0)`
// once it has ended. Throws LaunchError when no process can be started.
LaunchOutcome runCgiChild(const std::string& program, const std::filesystem::path& workDir,
                          std::vector<std::string> environment, const std::function<void(std::string_view)>& output,
                          const std::function<void(pid_t)>& running = nullptr);
