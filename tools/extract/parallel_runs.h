#pragma once
// The runs of a call extracted up to `jobs` at once, each on a thread kept to
// one core, which the programs it starts inherit (as a workflow job of one
// core runs them). What each run says is kept, for the caller to show whole
// in the order the runs were given. An interrupt reaches every running
// program (passStopSignalsOn) and no run starts after it.
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "frontend/extract_command.h"
#include "frontend/run_record.h"

class ParallelRuns {
public:
    struct Done {
        std::vector<std::pair<bool, std::string>> said;  // in order; true: a line for standard error
        RunRecord record;
    };

    explicit ParallelRuns(const ExtractCommand& command);
    ~ParallelRuns();
    ParallelRuns(const ParallelRuns&) = delete;
    ParallelRuns& operator=(const ParallelRuns&) = delete;

    // Run i once it has ended; nothing when an interrupt came before it
    // started (every program started before it has ended then).
    std::optional<Done> await(std::size_t i);

private:
    void work(std::size_t worker, const std::vector<int>& cores);
    void joinAll();

    const ExtractCommand& command_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::size_t next_ = 0;  // the first run no thread has taken
    std::vector<std::optional<Done>> done_;
    std::vector<std::thread> threads_;
};
