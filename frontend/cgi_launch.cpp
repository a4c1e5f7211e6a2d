#include "frontend/cgi_launch.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/util/checked_file.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

// The programs running under runAsCgi, one slot each (0: free), read by
// the signal handler: lock-free atomics, safe there.
std::atomic<pid_t> runningChildren[maxProgramsAtOnce];
std::atomic<int> stopSignal = 0;
static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void passSignalOn(int number) {
    int none = 0;
    stopSignal.compare_exchange_strong(none, number);
    for (const std::atomic<pid_t>& child : runningChildren) {
        if (const pid_t pid = child.load(); pid > 0) ::kill(pid, number);
    }
}

std::atomic<pid_t>* holdChildSlot(pid_t child) {
    for (std::atomic<pid_t>& slot : runningChildren) {
        pid_t free = 0;
        if (slot.compare_exchange_strong(free, child)) return &slot;
    }
    return nullptr;
}

sigset_t stopSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int number : stopSignals) sigaddset(&set, number);
    return set;
}

// A temporary folder holding a link to the parameter folder, removed with
// the object.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& parameters) {
        const char* temporary = std::getenv("TMPDIR");
        std::string pattern = std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
                              "/quarrow-extract-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw LaunchError("cannot make a working folder in " + fs::path(pattern).parent_path().string() + ": " +
                              std::strerror(errno));
        }
        path_ = pattern;
        std::error_code error;
        fs::create_directory_symlink(parameters, path_ / "msparams_quarrow", error);
        if (error) {
            fs::remove_all(path_, error);
            throw LaunchError("cannot link the parameter folder into " + path_.string() + ": " + error.message());
        }
    }
    ~WorkingFolder() {
        std::error_code error;
        fs::remove_all(path_, error);  // the link only, never what it points to
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// This process's environment with the request's variables: a GET request
// carries no body, so CONTENT_LENGTH must not be set.
std::vector<std::string> requestEnvironment(const std::string& queryString) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        const std::string_view name = text.substr(0, text.find('='));
        if (name != "QUERY_STRING" && name != "CONTENT_LENGTH" && name != "REQUEST_METHOD" &&
            name != "GATEWAY_INTERFACE") {
            variables.emplace_back(text);
        }
    }
    variables.push_back("QUERY_STRING=" + queryString);
    variables.push_back("REQUEST_METHOD=GET");
    variables.push_back("GATEWAY_INTERFACE=CGI/1.1");
    return variables;
}

// What the child wrote on standard error, from the start of `file`: its
// failure line, the rest written on this process's standard error.
std::optional<FailureLine> passStandardErrorOn(int file) {
    std::string text;
    char buffer[1 << 14];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(file, buffer, sizeof buffer, at);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
            at += got;
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    const std::optional<FailureLine> failure = lastFailureLine(text);
    std::string rest;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        const std::string_view line = std::string_view(text).substr(at, end - at);
        if (!lastFailureLine(line)) rest += line;
        at = end;
    }
    [[maybe_unused]] const int error = writeWhole(STDERR_FILENO, rest);
    return failure;
}

}  // namespace

LaunchOutcome runCgiChild(const std::string& program, const fs::path& workDir, std::vector<std::string> environment,
                          const std::function<void(std::string_view)>& output,
                          const std::function<void(pid_t)>& running) {
    // Everything the child needs is made before the fork: from there on it
    // makes only async-signal-safe calls.
    std::vector<char*> variables;
    for (std::string& variable : environment) variables.push_back(variable.data());
    variables.push_back(nullptr);
    std::string path = program;
    char* const arguments[] = {path.data(), nullptr};
    const std::string notStarted = program + ": the program could not be started\n";

    const int errors = ::memfd_create("standard error", MFD_CLOEXEC);
    if (errors < 0) throw LaunchError(std::string("cannot keep standard error: ") + std::strerror(errno));
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        ::close(errors);
        throw LaunchError(std::string("cannot make a pipe: ") + std::strerror(errno));
    }
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigset_t unblocked;
        sigemptyset(&unblocked);
        for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
            ::sigaction(number, &standard, nullptr);
            sigaddset(&unblocked, number);
        }
        ::sigprocmask(SIG_UNBLOCK, &unblocked, nullptr);
        const int input = ::open("/dev/null", O_RDONLY);
        if (input < 0 || ::dup2(input, 0) < 0 || ::dup2(pipeEnds[1], 1) < 0 || ::dup2(errors, 2) < 0 ||
            ::chdir(workDir.c_str()) != 0) {
            ::_exit(127);
        }
        ::execve(path.c_str(), arguments, variables.data());
        [[maybe_unused]] const ssize_t written = ::write(2, notStarted.data(), notStarted.size());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(errors);
        throw LaunchError(std::string("cannot start a process: ") + std::strerror(errno));
    }
    if (running) running(child);

    char buffer[1 << 14];
    while (true) {
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0) {
            output(std::string_view(buffer, static_cast<std::size_t>(got)));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeEnds[0]);
    int status = 0;
    struct rusage usage {};
    while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (running) running(0);
    LaunchOutcome outcome;
    outcome.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    outcome.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    outcome.peakMemoryKb = usage.ru_maxrss;  // kilobytes on Linux
    if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    } else {
        outcome.exitStatus = WEXITSTATUS(status);
    }
    outcome.failure = passStandardErrorOn(errors);
    ::close(errors);
    return outcome;
}

void passStopSignalsOn() {
    struct sigaction forward {};
    forward.sa_handler = passSignalOn;
    sigemptyset(&forward.sa_mask);
    for (const int number : stopSignals) {
        struct sigaction current {};
        // One the starter chose to ignore (nohup) stays ignored.
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        ::sigaction(number, &forward, nullptr);
    }
}

int stopSignalReceived() { return stopSignal.load(); }

LaunchOutcome runAsCgi(const CgiLaunch& launch, const std::function<void(std::string_view)>& output) {
    WorkingFolder folder(launch.parameters);
    // Held back on this thread from the moment of the last look until the
    // child is known, so that a signal is either seen here or passed on to
    // it. Another thread may take the signal meanwhile: the look after the
    // child is in its slot catches that.
    const sigset_t stops = stopSignalSet();
    ::pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    struct Unblock {
        const sigset_t& set;
        ~Unblock() { ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr); }
    } unblock{stops};
    if (const int stop = stopSignal.load(); stop != 0) return LaunchOutcome{.exitStatus = 0, .signal = stop};
    std::atomic<pid_t>* slot = nullptr;
    LaunchOutcome outcome = runCgiChild(launch.program, folder.path(), requestEnvironment(launch.queryString), output,
                                        [&](pid_t child) {
                                            if (child == 0) {
                                                if (slot != nullptr) slot->store(0);
                                                return;
                                            }
                                            slot = holdChildSlot(child);
                                            if (const int stop = stopSignal.load(); stop != 0) ::kill(child, stop);
                                            ::pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);
                                        });
    // The program takes its fatal path on a stop signal; the run was still
    // stopped by it, unless it had finished.
    if (const int stop = stopSignal.load(); stop != 0 && outcome.signal == 0 && outcome.exitStatus != 0) outcome.signal = stop;
    return outcome;
}
