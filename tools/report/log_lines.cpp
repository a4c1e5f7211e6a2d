#include "tools/report/log_lines.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

LogFile readLogFile(const std::string& path) {
    LogFile file;
    file.path = path;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return file;
    if (std::filesystem::is_directory(path, error)) {
        file.state = LogFileState::unreadable;
        return file;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.state = LogFileState::unreadable;
        return file;
    }
    std::ostringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    if (text.empty()) {
        file.state = LogFileState::empty;
        return file;
    }
    file.state = LogFileState::read;
    std::size_t start = 0;
    int number = 1;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        file.lines.push_back({number++, std::move(line)});
        start = end + 1;
    }
    return file;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

std::string describeState(LogFileState state) {
    switch (state) {
        case LogFileState::missing: return "missing";
        case LogFileState::unreadable: return "unreadable";
        case LogFileState::empty: return "empty";
        case LogFileState::read: return "read";
    }
    return "unknown";
}

std::optional<long> parseWhole(std::string_view field) {
    long value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return value;
}

std::optional<double> parseReal(std::string_view field) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return value;
}
