#include "tools/extract/parallel_runs.h"

#include <pthread.h>
#include <sched.h>

#include <chrono>

#include "frontend/cgi_launch.h"
#include "tools/extract/extract_run.h"

namespace {

// The cores this process may run on.
std::vector<int> allowedCores() {
    std::vector<int> cores;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        for (int core = 0; core < CPU_SETSIZE; ++core) {
            if (CPU_ISSET(core, &set)) cores.push_back(core);
        }
    }
    return cores;
}

}  // namespace

ParallelRuns::ParallelRuns(const ExtractCommand& command) : command_(command), done_(command.runs.size()) {
    const std::vector<int> cores = allowedCores();
    const std::size_t threads = std::min(command.jobs, command.runs.size());
    for (std::size_t worker = 0; worker < threads; ++worker) threads_.emplace_back([this, worker, cores] { work(worker, cores); });
}

ParallelRuns::~ParallelRuns() { joinAll(); }

void ParallelRuns::joinAll() {
    for (std::thread& thread : threads_) {
        if (thread.joinable()) thread.join();
    }
}

void ParallelRuns::work(std::size_t worker, const std::vector<int>& cores) {
    // Its two-thread stages then share this core; the other cores go to the
    // other runs. Where the cores cannot be had, the system spreads them.
    if (!cores.empty()) {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(cores[worker % cores.size()], &set);
        ::pthread_setaffinity_np(::pthread_self(), sizeof set, &set);
    }
    for (;;) {
        std::size_t i = 0;
        {
            // Taken under the lock, so that once a stop is seen no run starts.
            const std::lock_guard<std::mutex> lock(mutex_);
            if (next_ == command_.runs.size() || stopSignalReceived() != 0) return;
            i = next_++;
        }
        Done done;
        done.record = extractRun(
            command_.runs[i], command_, [&](const std::string& text) { done.said.emplace_back(false, text); },
            [&](const std::string& line) { done.said.emplace_back(true, line); });
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_[i] = std::move(done);
        }
        ended_.notify_all();
    }
}

std::optional<ParallelRuns::Done> ParallelRuns::await(std::size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_[i]) {
        if (stopSignalReceived() != 0) {
            // Every running program has the signal; once they have ended,
            // a run that is not done never started.
            lock.unlock();
            joinAll();
            lock.lock();
            break;
        }
        // A signal handler cannot wake this thread: it looks again soon.
        ended_.wait_for(lock, std::chrono::milliseconds(50));
    }
    if (!done_[i]) return std::nullopt;
    return std::move(done_[i]);
}
