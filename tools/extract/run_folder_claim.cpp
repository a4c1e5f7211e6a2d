#include "tools/extract/run_folder_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "frontend/run_catalog.h"
#include "frontend/run_listing.h"
#include "frontend/run_record.h"
#include "tools/extract/extract_run.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void refuse(const std::string& message) { throw CommandLineError(message); }

fs::path real(const fs::path& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal() : resolved;
}

// `path` is `folder` or lies in it, both resolved.
bool liesIn(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

// The value of one field of a run record; nothing when the record or the
// field is not there.
std::optional<std::string> recordField(const fs::path& record, std::string_view field) {
    std::ifstream stream(record);
    for (std::string line; std::getline(stream, line);) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || std::string_view(line).substr(0, tab) != field) continue;
        const std::size_t end = line.find('\t', tab + 1);
        return line.substr(tab + 1, end == std::string::npos ? std::string::npos : end - tab - 1);
    }
    return std::nullopt;
}

// The record is the earlier run's word for its source; a folder without one
// (made empty beforehand, as the workflow does) is taken as this run's.
void checkSource(const ExtractRun& run) {
    const fs::path record = fs::path(run.folder) / runRecordName;
    const std::optional<std::string> earlier = recordField(record, "data file");
    if (!earlier || *earlier == tsvField(run.dataFilename)) return;
    // Written as tsvField writes it: a path without a backslash is as it was.
    if (earlier->find('\\') == std::string::npos && real(*earlier) == real(run.dataFilename)) return;
    const std::string input = recordField(record, "input").value_or(*earlier);
    refuse(run.name + ": " + run.folder + " holds the results of " + input + " (its record " + record.string() +
           "), not of " + run.given + ": the results of another source are never replaced; extract " + run.given +
           " into another --out folder, or move " + run.folder + " away first");
}

}  // namespace

void checkRunFolders(const ExtractCommand& command) {
    for (const ExtractRun& replaced : command.runs) {
        for (const std::string& entry : runFolderEntries()) {
            const fs::path place = real(fs::path(replaced.folder) / entry);
            for (const ExtractRun& run : command.runs) {
                for (const fs::path& input : runInputs(run.program, run.dataFilename)) {
                    if (!liesIn(real(input), place)) continue;
                    refuse(run.given + ": " + input.string() + " lies in " + (fs::path(replaced.folder) / entry).string() +
                           ", which extracting " + replaced.name + " into " + command.outDir +
                           " replaces: move it out of that folder first, or choose another --out");
                }
            }
        }
    }
    for (const ExtractRun& run : command.runs) checkSource(run);
}

RunFolderLocks& RunFolderLocks::operator=(RunFolderLocks&& other) noexcept {
    if (this != &other) {
        RunFolderLocks gone(std::move(*this));
        held_ = std::move(other.held_);
        other.held_.clear();
    }
    return *this;
}

RunFolderLocks::~RunFolderLocks() {
    for (const Held& held : held_) {
        std::error_code error;
        const bool unused = held.made && !fs::exists(held.folder + runRecordName, error);
        fs::remove(held.folder + runLockName, error);
        ::close(held.file);
        if (unused) fs::remove(held.folder, error);  // only when empty
    }
}

RunFolderLocks lockRunFolders(const ExtractCommand& command) {
    RunFolderLocks locks;
    for (const ExtractRun& run : command.runs) {
        std::error_code error;
        const bool made = fs::create_directories(run.folder, error);
        if (error) refuse("cannot make " + run.folder + ": " + error.message());
        const std::string lockPath = run.folder + runLockName;
        // Inherited by the programs on purpose: the folder stays locked for
        // as long as one of them writes into it, even if this call is killed.
        const int file = ::open(lockPath.c_str(), O_RDWR | O_CREAT, 0644);  // NOLINT(android-cloexec-open)
        if (file < 0) refuse("cannot open the lock " + lockPath + ": " + std::strerror(errno));
        locks.add(file, run.folder, made);
        const auto busy = [&] {
            refuse(run.name + ": another call is extracting into " + run.folder + " now (it holds " + lockPath +
                   "): try again when it has ended");
        };
        while (::flock(file, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno == EWOULDBLOCK) busy();
            refuse("cannot lock " + lockPath + ": " + std::strerror(errno));
        }
        // Locked after the call that held it had removed it: the name is
        // another file now, or none, and that call may have had a successor.
        struct stat locked {};
        struct stat named {};
        if (::fstat(file, &locked) != 0 || ::stat(lockPath.c_str(), &named) != 0 || locked.st_ino != named.st_ino ||
            locked.st_dev != named.st_dev) {
            busy();
        }
        checkSource(run);
    }
    return locks;
}
