#include "core/util/format_text.h"

#include <cstdio>

std::string formatTextV(const char* format, std::va_list args) {
    // Most texts are log rows and messages of a line: formatted once, on
    // the stack, and only a longer one a second time at its length.
    char line[512];
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    std::string text;
    if (length > 0 && static_cast<std::size_t>(length) < sizeof line) {
        text.assign(line, static_cast<std::size_t>(length));
    } else if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}

std::string formatText(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = formatTextV(format, args);
    va_end(args);
    return text;
}
