#pragma once
// The SHA-1 that an indexed mzML (fileChecksum) or an mzXML (sha1) states of
// its own text up to that element, computed on a thread of its own while
// the export is scanned, so that checking it costs no wall time.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class ExportChecksum {
public:
    // Hashes the text of `descriptor` as it becomes available (the
    // descriptor must stay open until `hex` has returned).
    explicit ExportChecksum(int descriptor);
    ~ExportChecksum();
    ExportChecksum(const ExportChecksum&) = delete;
    ExportChecksum& operator=(const ExportChecksum&) = delete;

    // The first `bytes` bytes of the text can be read.
    void available(std::uint64_t bytes);
    // All text is there; the checksum covers its first `limit` bytes.
    void finish(std::uint64_t limit);
    // Waits for it; lowercase hexadecimal, "" when the text could not be read.
    std::string hex();

private:
    void run();

    int descriptor_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::uint64_t available_ = 0;
    std::uint64_t limit_ = 0;
    bool finished_ = false;
    bool done_ = false;
    std::string hex_;
    std::thread worker_;
};
