#include "web/launcher/program_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

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

[[noreturn]] void execProgram(const std::filesystem::path& program, const std::filesystem::path& workDir,
                              const std::string& queryString) {
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing >= 0) ::dup2(nothing, STDIN_FILENO);
    if (::chdir(workDir.c_str()) != 0) std::_Exit(127);
    std::vector<std::string> texts = {"QUERY_STRING=" + queryString, "REQUEST_METHOD=GET",
                                      "GATEWAY_INTERFACE=CGI/1.1"};
    // Sanitizer builds need their options in the program too.
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(keep)) texts.push_back(std::string(keep) + "=" + value);
    }
    std::vector<char*> environment;
    for (std::string& text : texts) environment.push_back(text.data());
    environment.push_back(nullptr);
    std::string path = program.string();
    char* argv[] = {path.data(), nullptr};
    ::execve(path.c_str(), argv, environment.data());
    std::_Exit(127);
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

// A child process joined to the launcher by a pipe: its standard output
// when `childWrites`, else its standard input. `inChild` runs in the child
// with its signals at their defaults and must not return. -1 and the
// failure in `outcome` when there is no child.
int startWithPipe(bool childWrites, const std::function<void()>& inChild, ProgramOutcome& outcome, pid_t& pid) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        outcome.failure = std::strerror(errno);
        return -1;
    }
    const int childEnd = childWrites ? pipeFds[1] : pipeFds[0];
    const int ownEnd = childWrites ? pipeFds[0] : pipeFds[1];
    pid = ::fork();
    if (pid < 0) {
        outcome.failure = std::strerror(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return -1;
    }
    if (pid == 0) {
        defaultSignals();
        ::close(ownEnd);
        ::dup2(childEnd, childWrites ? STDOUT_FILENO : STDIN_FILENO);
        ::close(childEnd);
        inChild();
        std::_Exit(127);
    }
    ::close(childEnd);
    outcome.started = true;
    return ownEnd;
}

}  // namespace

ProgramOutcome runStreaming(const std::filesystem::path& program, const std::filesystem::path& workDir,
                            const std::string& queryString, const std::function<void(std::string_view)>& output) {
    ProgramOutcome outcome;
    pid_t pid = 0;
    const int fromProgram = startWithPipe(true, [&] { execProgram(program, workDir, queryString); }, outcome, pid);
    if (fromProgram < 0) return outcome;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fromProgram, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        output(std::string_view(buffer, static_cast<std::size_t>(got)));
    }
    ::close(fromProgram);
    return waitFor(pid, outcome);
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
    const int toTool = startWithPipe(false, execTool, outcome, pid);
    if (toTool < 0) return outcome;
    writeAll(toTool, input.data(), input.size());
    ::close(toTool);
    return waitFor(pid, outcome);
}
