#pragma once
// One of the tab-separated logs a run appends to. A sink writes to an open
// file, or keeps what it is given in memory (stages run on a table in
// memory are checked against that).
#include <cstdio>
#include <string>
#include <string_view>

class LogSink {
public:
    LogSink() = default;                // keeps everything in memory
    explicit LogSink(std::FILE* file);  // appends to the file and closes it when done
    ~LogSink();
    LogSink(LogSink&& other) noexcept;
    LogSink& operator=(LogSink&& other) noexcept;
    LogSink(const LogSink&) = delete;
    LogSink& operator=(const LogSink&) = delete;

    void write(std::string_view text);
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void flush();
    // Closes the file now (the charge-check log of a .wiff run is closed by
    // its driver); later writes are dropped.
    void close();

    // What a memory sink has been given.
    const std::string& text() const { return text_; }

private:
    std::FILE* file_ = nullptr;
    bool inMemory_ = true;
    std::string text_;
};

// The four logs of a run, as the stages see them. The sinks belong to
// whoever opened them: the start-up, or a test.
struct ExtractionLogs {
    LogSink* parentChargeCheck = nullptr;
    LogSink* rejectReasons = nullptr;
    LogSink* specFeatures = nullptr;
    LogSink* runStats = nullptr;
};
