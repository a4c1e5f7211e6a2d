#include "core/util/text_path.h"

std::string gen_path_from_filename(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string_view::npos) return std::string(path);
    return std::string(path.substr(0, separator + 1));
}

std::string_view fileExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return path;
    return path.substr(dot + 1);
}

int isWhitespaceOnly(std::string_view text) {
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return 0;
    }
    return 1;
}
