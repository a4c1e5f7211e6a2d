#pragma once
// The line a program writes on standard error when it ends with a failure,
// beside the page it prints for people, so that a front end reads the
// failure as data and never from the page's wording:
//
//     quarrow-failure<TAB><exit status><TAB><first sentence><LF>
//
// The sentence is plain text on one line: no tab, no line feed, white space
// folded to single blanks. A front end takes the last such line a run wrote.
#include <optional>
#include <string>
#include <string_view>

struct FailureLine {
    int status = 0;
    std::string sentence;
};

// The first sentence of a failure's text: its first line that holds more
// than blanks, up to and with the first full stop that a blank follows.
std::string firstSentence(std::string_view text);

// "quarrow-failure\t%d\t%s\n", with the first sentence of `text`; a
// failure that the system reported (a full disk, a missing permission) keeps
// its reason at the end of the sentence, which is what a user must fix.
std::string failureLineText(int status, std::string_view text, int systemError = 0);

// Writes the line to standard error in one write.
void writeFailureLine(int status, std::string_view text, int systemError = 0);

// The last failure line in what a program wrote on standard error.
std::optional<FailureLine> lastFailureLine(std::string_view standardError);
