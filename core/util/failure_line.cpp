#include "core/util/failure_line.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/util/whole_write.h"

namespace {

constexpr std::string_view kTag = "quarrow-failure\t";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

bool isContinuation(unsigned char c) { return c >= 0x80 && c <= 0xbf; }

// The length of the UTF-8 character at the start of `text`, 0 when it is none
// (a stray or overlong byte, a surrogate, a cut sequence).
std::size_t characterLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(byte(i))) return 0;
    }
    return length;
}

void appendEscaped(std::string& out, unsigned char c) {
    static constexpr char kDigits[] = "0123456789abcdef";
    if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else out += {'\\', 'x', kDigits[c >> 4], kDigits[c & 0xf]};
}

struct Sentence {
    std::string text;  // as the failure wrote it, not yet made safe
    bool namesPath = false;
    bool endsWithStop = false;  // its own full stop, not one a path ends in
};

Sentence sentenceOf(std::string_view text, const FailurePaths& paths) {
    Sentence sentence;
    bool blank = false;
    const auto add = [&](std::string_view piece) {
        if (blank && !sentence.text.empty()) sentence.text += ' ';
        blank = false;
        sentence.text += piece;
    };
    for (std::size_t at = 0; at < text.size();) {
        std::size_t path = 0;
        for (const std::string& candidate : paths) {
            if (candidate.size() > path && text.substr(at).starts_with(candidate)) path = candidate.size();
        }
        if (path > 0) {
            add(text.substr(at, path));
            sentence.namesPath = true;
            at += path;
            continue;
        }
        const char c = text[at];
        if (c == '\n') {
            if (!sentence.text.empty()) break;
            blank = false;
        } else if (isBlank(c)) {
            blank = true;
        } else {
            add(text.substr(at, 1));
            if (c == '.' && (at + 1 == text.size() || isBlank(text[at + 1]) || text[at + 1] == '\n')) {
                sentence.endsWithStop = true;
                break;
            }
        }
        ++at;
    }
    return sentence;
}

}  // namespace

std::string terminalSafe(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = characterLength(text.substr(at));
        const auto lead = static_cast<unsigned char>(text[at]);
        const bool control = lead < 0x20 || lead == 0x7f ||
                             (length == 2 && lead == 0xc2 && static_cast<unsigned char>(text[at + 1]) < 0xa0);
        if (length == 0 || control) {
            for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
                appendEscaped(safe, static_cast<unsigned char>(text[at + i]));
            }
            at += std::max<std::size_t>(length, 1);
        } else {
            safe += text.substr(at, length);
            at += length;
        }
    }
    return safe;
}

std::string firstSentence(std::string_view text, const FailurePaths& paths) {
    return terminalSafe(sentenceOf(text, paths).text);
}

std::string failureLineText(int status, std::string_view text, int systemError, const FailurePaths& paths) {
    const Sentence found = sentenceOf(text, paths);
    std::string sentence = terminalSafe(found.text);
    const bool addsPath = !found.namesPath && !paths.empty() && !paths.front().empty();
    if ((addsPath || systemError != 0) && found.endsWithStop) sentence.pop_back();
    if (addsPath) sentence += (sentence.empty() ? "" : ": ") + terminalSafe(paths.front());
    if (systemError != 0) sentence += (sentence.empty() ? "" : ": ") + std::string(std::strerror(systemError));
    if (addsPath || systemError != 0) sentence += ".";
    return std::string(kTag) + std::to_string(status) + "\t" + sentence + "\n";
}

void writeFailureLine(int status, std::string_view text, int systemError, const FailurePaths& paths) {
    const int saved = errno;
    // With nowhere to say it, the page and the status still do.
    [[maybe_unused]] const int error = writeWhole(STDERR_FILENO, failureLineText(status, text, systemError, paths));
    errno = saved;
}

std::optional<FailureLine> lastFailureLine(std::string_view standardError) {
    std::optional<FailureLine> last;
    for (std::size_t at = 0; at < standardError.size();) {
        const std::size_t end = std::min(standardError.find('\n', at), standardError.size());
        std::string_view line = standardError.substr(at, end - at);
        at = end + 1;
        if (!line.starts_with(kTag)) continue;
        line.remove_prefix(kTag.size());
        const std::size_t tab = line.find('\t');
        if (tab == 0 || tab == std::string_view::npos || tab > 4) continue;
        const std::string digits(line.substr(0, tab));
        if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
        last = FailureLine{std::atoi(digits.c_str()), terminalSafe(line.substr(tab + 1))};
    }
    return last;
}
