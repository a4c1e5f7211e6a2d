#pragma once
// What a call may do to the folders DIR/RUN/ its runs go into: replace the
// results of an earlier extraction of the same source, never another
// source's results, never a folder that holds one of its inputs, and never
// while another call extracts into the same folder.
#include <string>
#include <vector>

#include "frontend/extract_command.h"

// The lock file each run's folder holds while a call extracts into it. The
// call removes it, still locked, as it ends; a call that locked a file
// removed meanwhile finds the name no longer its file and is refused.
inline constexpr const char* runLockName = ".quarrow-extract.lock";

// Throws CommandLineError, before anything is made, when a folder one of
// the runs replaces (its peaklists/, logs/, record or report) holds an input
// of the call, or when DIR/RUN/ holds the record of a run of another source.
void checkRunFolders(const ExtractCommand& command);

// The run folders made and locked (flock) for the call, and checked again
// under their locks; released when this goes (or the process ends), and
// kept while a program started with the locks inherited still runs. A
// folder this call made for a run that never started (no record in it) goes
// again.
class RunFolderLocks {
public:
    RunFolderLocks() = default;
    RunFolderLocks(RunFolderLocks&& other) noexcept : held_(std::move(other.held_)) { other.held_.clear(); }
    RunFolderLocks& operator=(RunFolderLocks&& other) noexcept;
    RunFolderLocks(const RunFolderLocks&) = delete;
    RunFolderLocks& operator=(const RunFolderLocks&) = delete;
    ~RunFolderLocks();

    void add(int file, std::string folder, bool made) { held_.push_back({file, std::move(folder), made}); }

private:
    struct Held {
        int file;
        std::string folder;  // ending in "/"
        bool made;
    };
    std::vector<Held> held_;
};

// Throws CommandLineError when another call holds a run's folder, or what
// checkRunFolders refuses has come about since it looked.
RunFolderLocks lockRunFolders(const ExtractCommand& command);
