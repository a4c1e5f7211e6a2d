#pragma once
// A file that takes its name only when it is complete: written under a
// temporary name of its own beside the final path (the rename then stays
// within one file system) and renamed over it at the end. No two writers
// ever share a temporary, so runs that write the same file at once never
// fail each other or splice it: the last to finish wins, whole. A fatal
// error removes the temporaries that exist when it ends the process.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// Why a file could not be made: the message names the operation, the
// caller's label and (but for a close) the file; `error` is the system's
// error number; `file` the path, which the failure line names.
struct FileFailure {
    std::string message;
    int error = 0;
    std::string file = {};
};

class CommittedFile {
public:
    // Creates the temporary file, "<path>.<process>-<n>.tmp", new and for
    // writing (and reading back what was written: a writer may go back to
    // fill in what it learns last); `openFailure` says why when it could not
    // be created.
    CommittedFile(std::string path, const char* label);
    // Removes the temporary file of a file that was not committed.
    ~CommittedFile();
    CommittedFile(const CommittedFile&) = delete;
    CommittedFile& operator=(const CommittedFile&) = delete;

    const std::optional<FileFailure>& openFailure() const { return openFailure_; }
    std::FILE* stream() const { return stream_; }  // null when it could not be created
    // Closes the file and renames it to its path, replacing what is there.
    // A write, close or rename that fails removes the temporary file and
    // comes back as the failure.
    [[nodiscard]] std::optional<FileFailure> commit();

private:
    void discardTemporary();

    std::string path_;
    const char* label_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
    std::optional<FileFailure> openFailure_;
};

// The same for a file whose bytes are all at hand: created, written with one
// write, closed and renamed, with the failure messages of CommittedFile.
[[nodiscard]] std::optional<FileFailure> commitWholeFile(const std::string& path, std::string_view bytes,
                                                         const char* label);

// Called by the fatal-error path on its way out: removes every temporary
// file not yet committed, and keeps any other from being made or renamed.
void removeUncommittedFiles();
