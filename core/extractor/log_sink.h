#pragma once
// One of the tab-separated logs a run appends to. A sink writes to an open
// file, or keeps what it is given in memory (stages run on a table in
// memory are checked against that).
//
// Several runs may append to the same log at once (web requests that share
// a logFileDir). A file sink therefore never hands the file a part of a row:
// it keeps what it is given until rows are complete and then appends whole
// rows, many at a time, with one write(2) while it holds an exclusive
// flock(2) on the file. In the three tab-separated logs a row begins with its
// "\n" and is complete when the next row begins (a charge-check line may be
// continued by several writes until then); runStats.txt keeps a run's text
// together and is written whole when the log is closed. What is still held
// is written at close, and when the process ends (see extractor_startup.cpp).
// The bytes in the file are exactly the ones given, in the order given.
//
// A write that fails (a full disk, a file-size limit) is taken back out of
// the file, the rows that still fit are written one by one, so that the log
// ends with whole rows only, and the process ends through reportFatalError
// with the file's name and the system error text; so does a failing close.
#include <cstdio>
#include <string>
#include <string_view>

class LogSink {
public:
    // How a file sink cuts what it is given into the pieces it writes.
    enum class Rows {
        startWithLineFeed,  // a row runs from its leading "\n" to the next row's
        wholeRun,           // everything given is written at once when the log closes
    };

    LogSink() = default;  // keeps everything in memory
    // Appends to the open file `path` and closes it when done.
    LogSink(std::FILE* file, std::string path, Rows rows);
    ~LogSink();
    LogSink(LogSink&& other) noexcept;
    LogSink& operator=(LogSink&& other) noexcept;
    LogSink(const LogSink&) = delete;
    LogSink& operator=(const LogSink&) = delete;

    void write(std::string_view text);
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Writes what is still held and closes the file now (the charge-check
    // log of a .wiff run is closed by its driver); later writes are dropped.
    void close();

    // Writes `header` when the file is empty: the size is taken and the
    // header written under the same lock, so that of several first runs only
    // one writes it. A failure is reported with `label`.
    void writeHeaderIfEmpty(const std::string& header, const char* label);

    // What a memory sink has been given.
    const std::string& text() const { return text_; }

private:
    // Appends `text` under the lock; ends the process when it cannot.
    void append(std::string_view text, const char* label);
    void writeCompleteRows();
    // Drops what is held, closes the file and ends the process with the
    // write-failure message for the error number `failure`.
    [[noreturn]] void failWrite(int failure, const char* label);

    std::FILE* file_ = nullptr;
    std::string path_;
    Rows rows_ = Rows::startWithLineFeed;
    bool inMemory_ = true;
    std::string text_;  // a memory sink: everything given; a file sink: what is not written yet
};

// The four logs of a run, as the stages see them. The sinks belong to
// whoever opened them: the start-up, or a test.
struct ExtractionLogs {
    LogSink* parentChargeCheck = nullptr;
    LogSink* rejectReasons = nullptr;
    LogSink* specFeatures = nullptr;
    LogSink* runStats = nullptr;
};
