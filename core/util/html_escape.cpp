#include "core/util/html_escape.h"

#include <cctype>
#include <utility>

std::string escapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&#39;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string textOfHtml(std::string_view html) {
    static constexpr std::pair<std::string_view, char> references[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    std::string text;
    for (std::size_t at = 0; at < html.size();) {
        const bool opensTag = at + 1 < html.size() && (std::isalpha(static_cast<unsigned char>(html[at + 1])) ||
                                                       html[at + 1] == '/' || html[at + 1] == '!');
        if (html[at] == '<' && opensTag) {
            const std::size_t close = html.find('>', at);
            if (close != std::string_view::npos) {
                text += '\n';
                at = close + 1;
                continue;
            }
        } else if (html[at] == '&') {
            bool known = false;
            for (const auto& [reference, character] : references) {
                if (html.substr(at).starts_with(reference)) {
                    text += character;
                    at += reference.size();
                    known = true;
                    break;
                }
            }
            if (known) continue;
        }
        text += html[at++];
    }
    return text;
}
