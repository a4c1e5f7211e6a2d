#include "core/util/committed_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <set>
#include <shared_mutex>

#include "core/util/format_text.h"
#include "core/util/whole_write.h"

namespace {

// A temporary left by a process that was killed may hold a name this one
// would give; the next number is then taken.
constexpr int attemptsAtAName = 1000;

std::atomic<unsigned> temporariesMade{0};

// The temporaries that exist now, for the fatal-error path to remove. A
// temporary is created and entered, and renamed or removed and taken out,
// while its writer shares `making`; the fatal path takes `making` for itself
// for good, so it waits for every such step in hand and then never misses a
// temporary, nor lets another be made or renamed. The writers of different
// files never wait for each other. Never destroyed: the fatal path may need
// them while the process ends.
std::shared_mutex& making() {
    static auto* const lock = new std::shared_mutex;
    return *lock;
}
std::mutex& uncommittedLock() {
    static auto* const lock = new std::mutex;
    return *lock;
}
std::set<std::string>& uncommitted() {
    static auto* const names = new std::set<std::string>;
    return *names;
}

void enter(const std::string& temporary) {
    const std::lock_guard<std::mutex> lock(uncommittedLock());
    uncommitted().insert(temporary);
}
void takeOut(const std::string& temporary) {
    const std::lock_guard<std::mutex> lock(uncommittedLock());
    uncommitted().erase(temporary);
}

// A name no other writer holds: the process id tells processes apart, the
// count the files of one process, and the exclusive creation the rest (the
// same process id on another machine writing to a shared folder). Entered
// once created.
int createTemporary(const std::string& path, std::string& temporary) {
    const std::shared_lock<std::shared_mutex> step(making());
    for (int attempt = 0; attempt < attemptsAtAName; ++attempt) {
        temporary = formatText("%s.%ld-%u.tmp", path.c_str(), static_cast<long>(::getpid()), temporariesMade++);
        const int descriptor = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) enter(temporary);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

// Renames the temporary to `path`, taking it out; the error number, 0 when renamed.
int renameTemporary(std::string& temporary, const std::string& path) {
    const std::shared_lock<std::shared_mutex> step(making());
    if (std::rename(temporary.c_str(), path.c_str()) != 0) return errno;
    takeOut(temporary);
    temporary.clear();
    return 0;
}

void removeTemporary(std::string& temporary) {
    if (temporary.empty()) return;
    const std::shared_lock<std::shared_mutex> step(making());
    std::remove(temporary.c_str());
    takeOut(temporary);
    temporary.clear();
}

}  // namespace

void removeUncommittedFiles() {
    static std::atomic<bool> removed{false};
    if (removed.exchange(true)) return;
    making().lock();  // never released: the process is ending
    const std::lock_guard<std::mutex> lock(uncommittedLock());
    for (const std::string& name : uncommitted()) std::remove(name.c_str());
}

CommittedFile::CommittedFile(std::string path, const char* label) : path_(std::move(path)), label_(label) {
    const int descriptor = createTemporary(path_, temporary_);
    if (descriptor >= 0) stream_ = ::fdopen(descriptor, "w+");
    if (stream_ != nullptr) return;
    const int error = errno;
    if (descriptor >= 0) ::close(descriptor);
    discardTemporary();
    openFailure_ = FileFailure{formatText("File open (fopen) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error, path_};
}

CommittedFile::~CommittedFile() {
    if (stream_ != nullptr) std::fclose(stream_);
    discardTemporary();
}

void CommittedFile::discardTemporary() { removeTemporary(temporary_); }

std::optional<FileFailure> CommittedFile::commit() {
    std::FILE* stream = stream_;
    stream_ = nullptr;
    std::optional<FileFailure> failure;
    if (std::ferror(stream) != 0 || std::fflush(stream) != 0) {
        const int error = errno;
        std::fclose(stream);
        failure = FileFailure{formatText("File write (fwrite) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error, path_};
    } else if (std::fclose(stream) != 0) {
        const int error = errno;
        failure = FileFailure{formatText("File close (fclose) failure.\n%s\n", label_), error, path_};
    } else if (const int error = renameTemporary(temporary_, path_); error != 0) {
        failure = FileFailure{formatText("File rename (rename) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error, path_};
    }
    discardTemporary();
    return failure;
}

std::optional<FileFailure> commitWholeFile(const std::string& path, std::string_view bytes, const char* label) {
    std::string temporary;
    const int descriptor = createTemporary(path, temporary);
    if (descriptor < 0) {
        const int error = errno;
        return FileFailure{formatText("File open (fopen) failure.\n%s\nFilename = %s.\n", label, path.c_str()), error, path};
    }
    std::optional<FileFailure> failure;
    if (const int error = writeWhole(descriptor, bytes); error != 0) {
        failure = FileFailure{formatText("File write (fwrite) failure.\n%s\nFilename = %s.\n", label, path.c_str()), error, path};
    }
    if (::close(descriptor) != 0 && !failure) {
        const int error = errno;
        failure = FileFailure{formatText("File close (fclose) failure.\n%s\n", label), error, path};
    }
    if (!failure) {
        if (const int error = renameTemporary(temporary, path); error != 0) {
            failure = FileFailure{formatText("File rename (rename) failure.\n%s\nFilename = %s.\n", label, path.c_str()), error, path};
        }
    }
    removeTemporary(temporary);
    return failure;
}
