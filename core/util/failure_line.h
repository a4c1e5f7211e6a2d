#pragma once
// The line a program writes on standard error when it ends with a failure,
// beside the page it prints for people, so that a front end reads the
// failure as data and never from the page's wording:
//
//     quarrow-failure<TAB><exit status><TAB><first sentence><LF>
//
// The sentence is plain text on one line: no tab, no line feed, white space
// folded to single blanks, and nothing a terminal would act on (control
// characters and bytes that are no UTF-8 written as \n, \t, \r or \xHH). A
// failure about a file names it, whole, even where the page's own wording
// names it on a later line or not at all. A front end takes the last such
// line a run wrote.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct FailureLine {
    int status = 0;
    std::string sentence;
};

// The paths a failure is about. A full stop, blank or line feed inside one
// of them does not end the sentence or fold; when the sentence names none of
// them, the first is named after it.
using FailurePaths = std::vector<std::string>;

// The text with every control character (C0, DEL, C1) and every byte that is
// not part of a UTF-8 character written as \n, \t, \r or \xHH; the rest,
// backslashes among it, as it is.
std::string terminalSafe(std::string_view text);

// The first sentence of a failure's text: its first line that holds more
// than blanks, up to and with the first full stop that a blank follows;
// the paths in it kept whole (terminalSafe, as the rest of it).
std::string firstSentence(std::string_view text, const FailurePaths& paths = {});

// "quarrow-failure\t%d\t%s\n", with the first sentence of `text`; a
// failure that the system reported (a full disk, a missing permission) keeps
// its reason at the end of the sentence, which is what a user must fix:
// "File open (fopen) failure: /data/x.mgf: Permission denied."
std::string failureLineText(int status, std::string_view text, int systemError = 0, const FailurePaths& paths = {});

// Writes the line to standard error in one write.
void writeFailureLine(int status, std::string_view text, int systemError = 0, const FailurePaths& paths = {});

// The last failure line in what a program wrote on standard error, its
// sentence terminalSafe whatever the program wrote.
std::optional<FailureLine> lastFailureLine(std::string_view standardError);
