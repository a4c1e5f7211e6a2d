#include "core/extractor/log_sink.h"

#include <cstdarg>
#include <utility>

#include "core/util/format_text.h"

LogSink::LogSink(std::FILE* file) : file_(file), inMemory_(false) {}

LogSink::~LogSink() { close(); }

LogSink::LogSink(LogSink&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), inMemory_(other.inMemory_), text_(std::move(other.text_)) {}

LogSink& LogSink::operator=(LogSink&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        inMemory_ = other.inMemory_;
        text_ = std::move(other.text_);
    }
    return *this;
}

void LogSink::write(std::string_view text) {
    if (inMemory_) {
        text_.append(text);
    } else if (file_ != nullptr) {
        std::fwrite(text.data(), 1, text.size(), file_);
    }
}

void LogSink::print(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    if (inMemory_) {
        text_ += formatTextV(format, args);
    } else if (file_ != nullptr) {
        std::vfprintf(file_, format, args);
    }
    va_end(args);
}

void LogSink::flush() {
    if (file_ != nullptr) std::fflush(file_);
}

void LogSink::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}
