#include "web/launcher/request_query.h"

#include <cstdlib>
#include <iostream>

std::optional<std::string> readRequestQuery() {
    if (const char* text = std::getenv("QUERY_STRING"); text != nullptr && text[0] != '\0') {
        std::string query(text);
        if (query.size() > maxQueryBytes) return std::nullopt;
        return query;
    }
    const char* lengthText = std::getenv("CONTENT_LENGTH");
    if (lengthText == nullptr) return std::string();
    char* end = nullptr;
    const long long length = std::strtoll(lengthText, &end, 10);
    if (length <= 0) return std::string();
    if (static_cast<unsigned long long>(length) > maxQueryBytes) return std::nullopt;
    std::string body(static_cast<std::size_t>(length), '\0');
    std::cin.read(body.data(), length);
    body.resize(static_cast<std::size_t>(std::cin.gcount()));
    return body;
}
