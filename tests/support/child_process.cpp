#include "tests/support/child_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

std::string readAll(int fd) {
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

int statusOf(int waitStatus) { return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1; }

}  // namespace

ChildResult runInChild(const std::function<void()>& body) {
    std::fflush(stdout);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::close(pipeFds[0]);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[1]);
        body();
        std::fflush(nullptr);
        std::_Exit(0);
    }
    ::close(pipeFds[1]);
    ChildResult result;
    result.output = readAll(pipeFds[0]);
    ::close(pipeFds[0]);
    int waitStatus = 0;
    ::waitpid(pid, &waitStatus, 0);
    result.exitStatus = statusOf(waitStatus);
    return result;
}

ChildResult runProgram(const ProgramRun& run) {
    std::fflush(stdout);
    int outPipe[2];
    int inPipe[2];
    if (::pipe(outPipe) != 0 || ::pipe(inPipe) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> environmentTexts;
    for (const auto& [name, value] : run.environment) environmentTexts.push_back(name + "=" + value);
    // Sanitizer runs need their options in the child too.
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(keep); value != nullptr && run.environment.count(keep) == 0) {
            environmentTexts.push_back(std::string(keep) + "=" + value);
        }
    }
    std::vector<char*> environment;
    for (std::string& text : environmentTexts) environment.push_back(text.data());
    environment.push_back(nullptr);
    std::string program = run.program;
    std::vector<std::string> argumentTexts = run.arguments;
    std::vector<char*> argv = {program.data()};
    for (std::string& argument : argumentTexts) argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::dup2(inPipe[0], STDIN_FILENO);
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        ::close(inPipe[0]);
        ::close(inPipe[1]);
        if (!run.workingDirectory.empty() && ::chdir(run.workingDirectory.c_str()) != 0) std::_Exit(126);
        ::execve(program.c_str(), argv.data(), environment.data());
        std::_Exit(127);
    }
    ::close(outPipe[1]);
    ::close(inPipe[0]);
    // The body is small in tests; a child that does not read it gets EPIPE, not us.
    std::signal(SIGPIPE, SIG_IGN);
    std::size_t written = 0;
    while (written < run.standardInput.size()) {
        const ssize_t put = ::write(inPipe[1], run.standardInput.data() + written, run.standardInput.size() - written);
        if (put <= 0) break;
        written += static_cast<std::size_t>(put);
    }
    ::close(inPipe[1]);
    ChildResult result;
    result.output = readAll(outPipe[0]);
    ::close(outPipe[0]);
    int waitStatus = 0;
    ::waitpid(pid, &waitStatus, 0);
    result.exitStatus = statusOf(waitStatus);
    return result;
}
