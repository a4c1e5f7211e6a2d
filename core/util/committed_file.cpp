#include "core/util/committed_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "core/util/format_text.h"

namespace {

// A temporary left by a process that was killed may hold a name this one
// would give; the next number is then taken.
constexpr int attemptsAtAName = 1000;

std::atomic<unsigned> temporariesMade{0};

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

CommittedFile::CommittedFile(std::string path, const char* label) : path_(std::move(path)), label_(label) {
    const int descriptor = createTemporary(path_, temporary_);
    if (descriptor >= 0) stream_ = ::fdopen(descriptor, "w");
    if (stream_ != nullptr) return;
    const int error = errno;
    if (descriptor >= 0) {
        ::close(descriptor);
        std::remove(temporary_.c_str());
    }
    temporary_.clear();
    openFailure_ = FileFailure{formatText("File open (fopen) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error};
}

CommittedFile::~CommittedFile() {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!temporary_.empty()) std::remove(temporary_.c_str());
}

std::optional<FileFailure> CommittedFile::commit() {
    std::FILE* stream = stream_;
    stream_ = nullptr;
    if (std::ferror(stream) != 0 || std::fflush(stream) != 0) {
        const int error = errno;
        std::fclose(stream);
        return FileFailure{formatText("File write (fwrite) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error};
    }
    if (std::fclose(stream) != 0) {
        const int error = errno;
        return FileFailure{formatText("File close (fclose) failure.\n%s\n", label_), error};
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        return FileFailure{formatText("File rename (rename) failure.\n%s\nFilename = %s.\n", label_, path_.c_str()), error};
    }
    temporary_.clear();
    return std::nullopt;
}
