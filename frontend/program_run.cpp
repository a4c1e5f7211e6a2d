#include "frontend/program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "frontend/cgi_launch.h"

namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The launcher ignores a closed connection and the server's signals; what
// it starts gets the default actions.
void defaultSignals() {
    for (const int number : {SIGPIPE, SIGTERM, SIGHUP}) std::signal(number, SIG_DFL);
}

ProgramOutcome waitFor(pid_t pid, ProgramOutcome outcome) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        outcome.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    return outcome;
}

// A child process whose standard input is a pipe from the launcher, which
// this returns. `inChild` runs in the child with its signals at their
// defaults and must not return. -1 and the failure in `outcome` when there
// is no child.
int startWithInputPipe(const std::function<void()>& inChild, ProgramOutcome& outcome, pid_t& pid) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        outcome.failure = std::strerror(errno);
        return -1;
    }
    pid = ::fork();
    if (pid < 0) {
        outcome.failure = std::strerror(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return -1;
    }
    if (pid == 0) {
        defaultSignals();
        ::close(pipeFds[1]);
        ::dup2(pipeFds[0], STDIN_FILENO);
        ::close(pipeFds[0]);
        inChild();
        std::_Exit(127);
    }
    ::close(pipeFds[0]);
    outcome.started = true;
    return pipeFds[1];
}

}  // namespace

ProgramOutcome runStreaming(const std::filesystem::path& program, const std::filesystem::path& workDir,
                            const std::string& queryString, const std::function<void(std::string_view)>& output) {
    std::vector<std::string> environment = {"QUERY_STRING=" + queryString, "REQUEST_METHOD=GET",
                                            "GATEWAY_INTERFACE=CGI/1.1"};
    // Sanitizer builds need their options in the program too.
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(keep)) environment.push_back(std::string(keep) + "=" + value);
    }
    ProgramOutcome outcome;
    try {
        const LaunchOutcome ended = runCgiChild(program.string(), workDir, std::move(environment), output);
        outcome.started = true;
        outcome.signal = ended.signal;
        if (ended.signal == 0) outcome.exitStatus = ended.exitStatus;
        if (ended.failure) outcome.error = ended.failure->sentence;
    } catch (const LaunchError& error) {
        outcome.failure = error.what();
    }
    return outcome;
}

ProgramOutcome runTool(const std::vector<std::string>& command, const std::string& input, int outputFd, int errorFd) {
    ProgramOutcome outcome;
    if (command.empty()) {
        outcome.failure = "no command";
        return outcome;
    }
    pid_t pid = 0;
    const auto execTool = [&] {
        if (outputFd != STDOUT_FILENO) ::dup2(outputFd, STDOUT_FILENO);
        if (errorFd != STDERR_FILENO) ::dup2(errorFd, STDERR_FILENO);
        std::vector<std::string> texts = command;
        std::vector<char*> argv;
        for (std::string& text : texts) argv.push_back(text.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
    };
    const int toTool = startWithInputPipe(execTool, outcome, pid);
    if (toTool < 0) return outcome;
    writeAll(toTool, input.data(), input.size());
    ::close(toTool);
    return waitFor(pid, outcome);
}
