#include "frontend/program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "core/util/checked_file.h"
#include "frontend/cgi_launch.h"

extern char** environ;

namespace {

// The launcher ignores a closed connection and the server's signals, the
// command line a closed reader; what they start gets the default actions.
constexpr int defaultedSignals[] = {SIGPIPE, SIGTERM, SIGHUP};

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

// The spawn's file actions and attributes, released with the object.
class SpawnSettings {
public:
    SpawnSettings() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attributes_);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int number : defaultedSignals) sigaddset(&defaults, number);
        posix_spawnattr_setsigdefault(&attributes_, &defaults);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSettings() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
    void moveTo(int from, int to) {
        if (from != to) posix_spawn_file_actions_adddup2(&actions_, from, to);
    }
    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

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
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        outcome.failure = std::strerror(errno);
        return outcome;
    }
    SpawnSettings settings;
    settings.moveTo(pipeFds[0], STDIN_FILENO);
    settings.moveTo(outputFd, STDOUT_FILENO);
    settings.moveTo(errorFd, STDERR_FILENO);
    std::vector<std::string> texts = command;
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], settings.actions(), settings.attributes(), argv.data(), environ);
    ::close(pipeFds[0]);
    if (spawned != 0) {
        ::close(pipeFds[1]);
        outcome.failure = std::strerror(spawned);
        return outcome;
    }
    outcome.started = true;
    [[maybe_unused]] const int error = writeWhole(pipeFds[1], input);
    ::close(pipeFds[1]);
    return waitFor(pid, outcome);
}

ToolOutput runToolKeepingOutput(const std::vector<std::string>& command) {
    ToolOutput result;
    // A file, not a pipe: the tool never waits for a reader.
    const int said = ::memfd_create("quarrow-tool-output", MFD_CLOEXEC);
    if (said < 0) {
        result.outcome.failure = std::string("cannot keep its output: ") + std::strerror(errno);
        return result;
    }
    result.outcome = runTool(command, "", said, said);
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(said, buffer, sizeof buffer, at);
        if (got > 0) {
            result.said.append(buffer, static_cast<std::size_t>(got));
            at += got;
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(said);
    return result;
}
