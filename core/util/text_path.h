#pragma once
// Small text and path operations. Paths may use "\" (Windows clients) or "/".
#include <string>
#include <string_view>
#include <vector>

// The path cut after its last "\" or "/"; a path without either comes back whole.
std::string gen_path_from_filename(std::string_view path);
// The text after the last "."; the whole text when it holds none.
std::string_view fileExtension(std::string_view path);
// Comparisons of file names that Windows clients write in any letter case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool endsWithIgnoringCase(std::string_view text, std::string_view ending);
// The items of a comma list, empty ones kept ("a,,b" has three).
std::vector<std::string_view> commaListItems(std::string_view list);
// The text with its ASCII capitals made small.
std::string lowered(std::string_view text);
// 1 for an empty text or one of blanks, tabs, carriage returns and line feeds only.
int isWhitespaceOnly(std::string_view text);
// A file name that opens a file in the folder it is glued to and nowhere
// else: no separator, not "." or "..", no control character.
bool isPlainFileName(std::string_view name);
