#include "frontend/plain_progress.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "core/util/text_path.h"
#include "platform/openformat/xml_pull.h"

namespace {

// A tag or a reference longer than this is no tag: its "<" or "&" is text.
constexpr std::size_t longestMarkup = 512;

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// The tags after which a browser starts a new line.
bool breaksLine(std::string_view name) {
    static constexpr std::array<std::string_view, 17> names = {
        "br", "p", "hr", "h1", "h2", "h3", "h4", "h5", "h6", "div", "li", "tr", "title", "body", "html", "pre", "table"};
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::string PlainProgress::feed(std::string_view bytes) {
    pending_.append(bytes);
    return convert(false);
}

std::string PlainProgress::finish() {
    std::string out = convert(true);
    endLine(out);
    return out;
}

void PlainProgress::endLine(std::string& out) {
    std::size_t first = 0;
    while (first < line_.size() && isBlank(line_[first])) ++first;
    std::size_t last = line_.size();
    while (last > first && isBlank(line_[last - 1])) --last;
    const std::string_view line = std::string_view(line_).substr(first, last - first);
    // A run that could not be read still walks its stages over nothing, so
    // that its page looks as it always has; on a terminal the progress ends
    // at the error instead, unless the run goes on with what was read.
    if (startsWith(line, "Error")) afterError_ = true;
    if (startsWith(line, "The run goes on with")) afterError_ = false;
    if (afterError_ && startsWith(line, "Data read into memory")) endedAtError_ = true;
    if (!line.empty() && !endedAtError_) out.append(line).push_back('\n');
    line_.clear();
}

void PlainProgress::tag(std::string_view text, std::string& out) {
    std::string_view name = text.substr(1, text.size() - 2);
    if (!name.empty() && name.front() == '/') name.remove_prefix(1);
    name = name.substr(0, std::min(name.find_first_of(" \t\r\n/"), name.size()));
    const std::string lower = lowered(name);
    if (lower == "head") inHead_ = text[1] != '/';
    if (breaksLine(lower)) endLine(out);
}

std::string PlainProgress::convert(bool atEnd) {
    std::string out;
    std::size_t at = 0;
    while (at < pending_.size()) {
        const char c = pending_[at];
        if (c == '<' && at + 1 < pending_.size() &&
            (std::isalpha(static_cast<unsigned char>(pending_[at + 1])) || pending_[at + 1] == '/' ||
             pending_[at + 1] == '!')) {
            const std::size_t close = pending_.find('>', at);
            if (close == std::string::npos && !atEnd && pending_.size() - at < longestMarkup) break;
            if (close != std::string::npos && close - at < longestMarkup) {
                tag(std::string_view(pending_).substr(at, close + 1 - at), out);
                at = close + 1;
                continue;
            }
        } else if (c == '<' && at + 1 == pending_.size() && !atEnd) {
            break;  // the next byte tells whether this is a tag
        } else if (c == '&') {
            const std::size_t close = pending_.find(';', at);
            if (close == std::string::npos && !atEnd && pending_.size() - at < 16) break;
            // The programs escape with the references XML knows; any other stays as it is.
            const std::optional<std::string> decoded =
                close != std::string::npos && close - at < 16
                    ? unescapeXml(std::string_view(pending_).substr(at, close + 1 - at))
                    : std::nullopt;
            if (decoded) {
                if (!inHead_) line_ += *decoded;
                at = close + 1;
                continue;
            }
        } else if (c == '\n') {
            endLine(out);
            ++at;
            continue;
        }
        if (!inHead_) line_ += c;
        ++at;
    }
    pending_.erase(0, at);
    return out;
}
