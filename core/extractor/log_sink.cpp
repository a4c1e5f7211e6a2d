#include "core/extractor/log_sink.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <utility>

#include "core/util/checked_file.h"
#include "core/util/fatal_error.h"
#include "core/util/format_text.h"

namespace {

constexpr const char* rowLabel = "Function: writeLogRow";

// An exclusive flock on the open file while the object lives. A file system
// that refuses locks leaves the file unlocked; each append is still one write.
class FileLock {
public:
    explicit FileLock(int fd) : fd_(fd) {
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) return;
        }
        locked_ = true;
    }
    ~FileLock() {
        if (locked_) ::flock(fd_, LOCK_UN);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
    bool locked_ = false;
};

// Appends all of `text` (the file is open for appending), normally with one
// write. When a write fails, what this call wrote is cut back out of a
// regular file; the result is the error number (0 when everything was
// written) and whether the file is as it was before the call.
struct Appended {
    int failure = 0;
    bool fileAsBefore = true;
};

Appended appendAll(int fd, std::string_view text) {
    struct stat before {};
    const bool regularFile = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        const int failure = put < 0 ? errno : EIO;
        if (done == 0) return {failure, true};
        return {failure, regularFile && ::ftruncate(fd, before.st_size) == 0};
    }
    return {};
}

// Rows that do not fit all at once (a full disk, a file-size limit) are
// appended one by one, so that the log ends with the last whole row that
// fits, as if each row had been written by itself.
int appendRows(int fd, std::string_view rows) {
    const Appended all = appendAll(fd, rows);
    if (all.failure == 0 || !all.fileAsBefore) return all.failure;
    for (std::size_t start = 0; start < rows.size();) {
        const std::size_t next = std::min(rows.find('\n', start + 1), rows.size());
        const int failure = appendAll(fd, rows.substr(start, next - start)).failure;
        if (failure != 0) return failure;
        start = next;
    }
    return 0;
}

}  // namespace

LogSink::LogSink(std::FILE* file, std::string path, Rows rows)
    : file_(file), path_(std::move(path)), rows_(rows), inMemory_(false) {}

LogSink::~LogSink() { close(); }

LogSink::LogSink(LogSink&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      path_(std::move(other.path_)),
      rows_(other.rows_),
      inMemory_(other.inMemory_),
      text_(std::exchange(other.text_, {})) {}

LogSink& LogSink::operator=(LogSink&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        path_ = std::move(other.path_);
        rows_ = other.rows_;
        inMemory_ = other.inMemory_;
        text_ = std::exchange(other.text_, {});
    }
    return *this;
}

void LogSink::write(std::string_view text) {
    if (inMemory_) {
        text_.append(text);
    } else if (file_ != nullptr) {
        text_.append(text);
        if (rows_ == Rows::startWithLineFeed) writeCompleteRows();
    }
}

void LogSink::print(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::string text = formatTextV(format, args);
    va_end(args);
    write(text);
}

void LogSink::writeCompleteRows() {
    // One lock and one write per row would cost more than making the rows,
    // so complete rows are gathered and appended many at a time.
    constexpr std::size_t gathered = 64 * 1024;
    if (text_.size() < gathered) return;
    // Every row before the last one begun is complete.
    const std::size_t lastRow = text_.rfind('\n');
    if (lastRow == std::string::npos || lastRow == 0) return;
    append(std::string_view(text_).substr(0, lastRow), rowLabel);
    text_.erase(0, lastRow);
}

void LogSink::append(std::string_view text, const char* label) {
    const int fd = ::fileno(file_);
    int failure = 0;
    {
        const FileLock lock(fd);
        failure = rows_ == Rows::startWithLineFeed ? appendRows(fd, text) : appendAll(fd, text).failure;
    }
    if (failure != 0) failWrite(failure, label);
}

void LogSink::writeHeaderIfEmpty(const std::string& header, const char* label) {
    if (file_ == nullptr) return;
    const int fd = ::fileno(file_);
    int failure = 0;
    {
        const FileLock lock(fd);
        if (gen_file_size(path_) == 0) failure = appendAll(fd, header).failure;
    }
    if (failure != 0) failWrite(failure, label);
}

void LogSink::failWrite(int failure, const char* label) {
    const std::string message = formatText("File write (fwrite) failure.\n%s\nFilename = %s.\n", label, path_.c_str());
    // Nothing of this log is written again on the way out of the process.
    text_.clear();
    std::fclose(std::exchange(file_, nullptr));
    errno = failure;
    reportFatalError(message, {path_});
}

void LogSink::close() {
    if (file_ == nullptr) return;
    if (!text_.empty()) {
        append(text_, rowLabel);
        text_.clear();
    }
    std::FILE* file = std::exchange(file_, nullptr);
    closeFile(file, formatText("Function: closeLogFile\nFilename = %s.", path_.c_str()).c_str(), path_);
}
