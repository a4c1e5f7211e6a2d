#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

int statusOf(int waitStatus) { return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1; }

struct StartedProgram {
    pid_t pid = -1;
    int output = -1;  // read end of its standard output
};

// The texts as exec takes them: pointers into them, then a null pointer.
std::vector<char*> cStrings(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In a child: the program with only its environment (and the sanitizers'
// options), in its folder, under its file-size limit, the request body on
// its standard input. The body is small in tests: it fits into the pipe
// before the program reads it.
[[noreturn]] void execProgram(const ProgramRun& run) {
    int in[2];
    if (::pipe(in) != 0 || ::write(in[1], run.standardInput.data(), run.standardInput.size()) !=
                               static_cast<ssize_t>(run.standardInput.size())) {
        std::_Exit(124);
    }
    ::close(in[1]);
    ::dup2(in[0], STDIN_FILENO);
    ::close(in[0]);
    std::vector<std::string> environmentTexts;
    for (const auto& [name, value] : run.environment) environmentTexts.push_back(name + "=" + value);
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(keep); value != nullptr && run.environment.count(keep) == 0) {
            environmentTexts.push_back(std::string(keep) + "=" + value);
        }
    }
    std::vector<std::string> argumentTexts = {run.program};
    argumentTexts.insert(argumentTexts.end(), run.arguments.begin(), run.arguments.end());
    if (run.fileSizeLimit) {
        const rlimit limit{static_cast<rlim_t>(*run.fileSizeLimit), static_cast<rlim_t>(*run.fileSizeLimit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(125);
        std::signal(SIGXFSZ, SIG_IGN);
    }
    if (!run.workingDirectory.empty() && ::chdir(run.workingDirectory.c_str()) != 0) std::_Exit(126);
    ::execve(run.program.c_str(), cStrings(argumentTexts).data(), cStrings(environmentTexts).data());
    std::_Exit(127);
}

// Reads every child's output until all have closed it, then waits for them.
std::vector<ChildResult> collect(const std::vector<StartedProgram>& started) {
    std::vector<ChildResult> results(started.size());
    std::vector<pollfd> open;
    for (const StartedProgram& program : started) open.push_back({program.output, POLLIN, 0});
    std::size_t remaining = open.size();
    char buffer[65536];
    while (remaining > 0) {
        if (::poll(open.data(), open.size(), -1) < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("poll failed");
        }
        for (std::size_t i = 0; i < open.size(); ++i) {
            if (open[i].fd < 0 || open[i].revents == 0) continue;
            const ssize_t got = ::read(open[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                results[i].output.append(buffer, static_cast<std::size_t>(got));
            } else {
                ::close(open[i].fd);
                open[i].fd = -1;
                --remaining;
            }
        }
    }
    for (std::size_t i = 0; i < started.size(); ++i) {
        int waitStatus = 0;
        ::waitpid(started[i].pid, &waitStatus, 0);
        results[i].exitStatus = statusOf(waitStatus);
    }
    return results;
}

}  // namespace

std::vector<ChildResult> runInChildrenTogether(const std::vector<std::function<void()>>& bodies) {
    std::fflush(stdout);
    int gate[2];
    if (::pipe(gate) != 0) throw std::runtime_error("pipe failed");
    std::vector<StartedProgram> started;
    for (const std::function<void()>& body : bodies) {
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
        const pid_t pid = ::fork();
        if (pid < 0) throw std::runtime_error("fork failed");
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            ::close(gate[1]);
            char ignored;
            while (::read(gate[0], &ignored, 1) > 0) {
            }
            body();
            std::fflush(nullptr);
            std::_Exit(0);
        }
        ::close(out[1]);
        started.push_back({pid, out[0]});
    }
    ::close(gate[0]);
    ::close(gate[1]);  // every child reads end of file now: all go
    return collect(started);
}

ChildResult runInChild(const std::function<void()>& body) { return runInChildrenTogether({body}).front(); }

int startProgram(const ProgramRun& run, const std::string& outputFile) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int output = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (output < 0 || ::dup2(output, STDOUT_FILENO) < 0) std::_Exit(123);
        ::close(output);
        execProgram(run);
    }
    return pid;
}

int waitForProgram(int pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return statusOf(status);
}

ChildResult runProgram(const ProgramRun& run) { return runProgramsTogether({run}).front(); }

std::vector<ChildResult> runProgramsTogether(const std::vector<ProgramRun>& runs) {
    std::vector<std::function<void()>> bodies;
    for (const ProgramRun& run : runs) bodies.push_back([&run] { execProgram(run); });
    return runInChildrenTogether(bodies);
}
