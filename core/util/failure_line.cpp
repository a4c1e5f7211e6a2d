#include "core/util/failure_line.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/util/checked_file.h"

namespace {

constexpr std::string_view kTag = "quarrow-failure\t";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

std::string firstSentence(std::string_view text) {
    std::string sentence;
    for (std::size_t at = 0; at < text.size() && sentence.empty();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        bool blank = true;
        for (std::size_t i = at; i < end; ++i) {
            if (isBlank(text[i])) {
                blank = true;
                continue;
            }
            if (blank && !sentence.empty()) sentence += ' ';
            blank = false;
            sentence += text[i];
            if (text[i] == '.' && (i + 1 == end || isBlank(text[i + 1]))) break;
        }
        at = end + 1;
    }
    return sentence;
}

std::string failureLineText(int status, std::string_view text, int systemError) {
    std::string sentence = firstSentence(text);
    if (systemError != 0) {
        if (sentence.ends_with('.')) sentence.pop_back();
        sentence += (sentence.empty() ? "" : ": ") + std::string(std::strerror(systemError)) + ".";
    }
    return std::string(kTag) + std::to_string(status) + "\t" + sentence + "\n";
}

void writeFailureLine(int status, std::string_view text, int systemError) {
    const int saved = errno;
    // With nowhere to say it, the page and the status still do.
    [[maybe_unused]] const int error = writeWhole(STDERR_FILENO, failureLineText(status, text, systemError));
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
        last = FailureLine{std::atoi(digits.c_str()), std::string(line.substr(tab + 1))};
    }
    return last;
}
