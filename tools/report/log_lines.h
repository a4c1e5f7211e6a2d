#pragma once
// The logs as lines: every log is a header (written only into an empty file,
// without a line feed) followed by rows that each begin with a line feed, so
// a file splits cleanly on line feeds. Files written on Windows carry CR LF.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LogLine {
    int number = 0;    // 1-based line number in the file
    std::string text;  // without its line break
};

enum class LogFileState { missing, unreadable, empty, read };

struct LogFile {
    std::string path;
    LogFileState state = LogFileState::missing;
    std::vector<LogLine> lines;
};

// Reads a whole log; a file that is absent, unreadable or empty says so in
// its state instead of failing.
LogFile readLogFile(const std::string& path);

// Splits on tabs keeping empty fields: a row's columns are positional.
std::vector<std::string_view> splitFields(std::string_view line);

std::string describeState(LogFileState state);

// Whole-field numbers; "nan" (a centroid window without peaks) reads as not
// a number, which callers treat as no value.
std::optional<long> parseWhole(std::string_view field);
std::optional<double> parseReal(std::string_view field);
