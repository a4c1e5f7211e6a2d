#include "core/util/committed_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <set>

#include "core/util/format_text.h"

namespace {

// A temporary left by a process that was killed may hold a name this one
// would give; the next number is then taken.
constexpr int attemptsAtAName = 1000;

std::atomic<unsigned> temporariesMade{0};

// The temporaries that exist now, for the fatal-error path to remove. A
// temporary is created and entered, and renamed or removed and taken out,
// under the lock, so the fatal path (which takes it for good) never misses
// one. Never destroyed: the fatal path may need it while the process ends.
std::mutex& uncommittedLock() {
    static auto* const lock = new std::mutex;
    return *lock;
}
std::set<std::string>& uncommitted() {
    static auto* const names = new std::set<std::string>;
    return *names;
}

// A name no other writer holds: the process id tells processes apart, the
// count the files of one process, and the exclusive creation the rest (the
// same process id on another machine writing to a shared folder).
int createTemporary(const std::string& path, std::string& temporary) {
    for (int attempt = 0; attempt < attemptsAtAName; ++attempt) {
        temporary = formatText("%s.%ld-%u.tmp", path.c_str(), static_cast<long>(::getpid()), temporariesMade++);
        const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

}  // namespace

void removeUncommittedFiles() {
    static std::atomic<bool> removed{false};
    if (removed.exchange(true)) return;
    uncommittedLock().lock();  // never released: the process is ending
    for (const std::string& name : uncommitted()) std::remove(name.c_str());
}

CommittedFile::CommittedFile(std::string path, const char* label) : path_(std::move(path)), label_(label) {
    int descriptor = -1;
    {
        const std::lock_guard<std::mutex> lock(uncommittedLock());
        descriptor = createTemporary(path_, temporary_);
        if (descriptor >= 0) uncommitted().insert(temporary_);
    }
    if (descriptor >= 0) stream_ = ::fdopen(descriptor, "w");
    if (stream_ != nullptr) return;
    const int error = errno;
    if (descriptor >= 0) ::close(descriptor);
    discardTemporary();
    openFailure_ = FileFailure{formatText("File open (fopen) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error};
}

CommittedFile::~CommittedFile() {
    if (stream_ != nullptr) std::fclose(stream_);
    discardTemporary();
}

void CommittedFile::discardTemporary() {
    if (temporary_.empty()) return;
    const std::lock_guard<std::mutex> lock(uncommittedLock());
    std::remove(temporary_.c_str());
    uncommitted().erase(temporary_);
    temporary_.clear();
}

std::optional<FileFailure> CommittedFile::commit() {
    std::FILE* stream = stream_;
    stream_ = nullptr;
    std::optional<FileFailure> failure;
    if (std::ferror(stream) != 0 || std::fflush(stream) != 0) {
        const int error = errno;
        std::fclose(stream);
        failure = FileFailure{formatText("File write (fwrite) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error};
    } else if (std::fclose(stream) != 0) {
        const int error = errno;
        failure = FileFailure{formatText("File close (fclose) failure.\n%s\n", label_), error};
    } else {
        const std::lock_guard<std::mutex> lock(uncommittedLock());
        if (std::rename(temporary_.c_str(), path_.c_str()) == 0) {
            uncommitted().erase(temporary_);
            temporary_.clear();
            return std::nullopt;
        }
        const int error = errno;
        failure = FileFailure{formatText("File rename (rename) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error};
    }
    discardTemporary();
    return failure;
}
