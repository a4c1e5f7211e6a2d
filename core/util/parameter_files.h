#pragma once
// Parameter files that an administrator maintains in msparams_quarrow/,
// relative to the directory the web server starts the program in.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/html_page.h"

// The close of every message about a parameter file that is not as it
// should be: "<P>Please notify the server administrator about this error
// message. ".
PageHtml pleaseNotifyAdministrator();

// The parameter directory, ending in its separator.
const char* parameterDirectory();
// The parameter directory immediately followed by the file name.
std::string parameterFilePath(const char* fileName);

// Lines whose first character is "#" go, with their line feed. Returns the new length.
std::size_t stripCommentLines(std::string& text);
// Every `commentCharacter` starts a comment that runs up to and including the
// next `endCharacter`. Returns the new length.
std::size_t stripComments(std::string& text, char commentCharacter, char endCharacter);
int countCharacter(std::string_view text, char character);

// The whole file as text (CR LF read as LF), comment lines removed when
// `strip`; `recordCount` = occurrences of `character` / `divisor`.
std::string get_file_info(const std::string& path, char character, int divisor, int strip, int& recordCount);

struct TsvTable {
    std::vector<std::string> headers;        // the names found in the header line
    int headerCount = 0;                     // tabs in the header line + 1
    std::vector<std::vector<std::string>> rows;  // headerCount fields each
};
// A table with a header line; comments ("#" to the line feed) removed when `strip`.
TsvTable parseTSVfile(const std::string& path, int strip);
// The same table for a front end, which must not end: nothing when the file
// cannot be read or a row has fewer fields than the header.
std::optional<TsvTable> readTsvFile(const std::string& path, int strip);

// For each expected name, the index of its column (the later one when a
// name occurs twice); a missing column ends the process.
std::vector<int> checkParsedHeadersForExpectedHeaders(const std::string& path,
                                                      const std::vector<std::string>& expected,
                                                      const std::vector<std::string>& headers);
