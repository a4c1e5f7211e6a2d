#pragma once
// A run's settings as a file a person keeps, edits and gives back: the key
// rows of a record (run.tsv), what --write-settings writes, or a file
// written by hand. One format:
//   - a line per key, "KEY<TAB>VALUE" (a third column, the value's source,
//     is kept for people and not read) or "KEY = VALUE" (spaces around the
//     "=" and at either end are not part of the value);
//   - a value is written as tsvField writes it (\\, \t, \n, \r, \xHH), so
//     that any value stays one line;
//   - blank lines and lines beginning with "#" say nothing;
//   - a file beginning "field<TAB>value<TAB>source" is a record: its rows
//     with no source are the run's own fields (run, start, outcome...) and
//     its rows "set for the run" the run's own files; neither is a setting.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/cgi_query.h"

inline constexpr const char* settingsHeader = "field\tvalue\tsource\n";
inline constexpr const char* setForTheRun = "set for the run";

struct Setting {
    std::string key = {};
    std::string value = {};
    std::string source = {};  // "given", "front ends' default", "program's default", "set for the run"
    std::string where = {};   // "FILE line N", for what is said about it
};

// The settings of a file's text, in file order; throws CommandLineError
// "FILE line N: ..." for a line that is neither form or a value that is not
// written as tsvField writes it. `name` names the file in what is said.
std::vector<Setting> parseSettings(std::string_view text, const std::string& name);
// The same for a file; throws CommandLineError when it cannot be read.
std::vector<Setting> readSettings(const std::string& path);

// Each key of `query` with its value and where that came from: given (in
// `given`), a front ends' default (in `filled`), one of `own` (set for the
// run) or the program's default.
std::vector<Setting> settingSources(const std::vector<QueryEntry>& query, const std::vector<QueryEntry>& given,
                                    const std::vector<QueryEntry>& filled, const std::vector<std::string_view>& own);
// Their rows, "KEY<TAB>VALUE<TAB>SOURCE" each, as a record holds them.
std::string settingRows(const std::vector<Setting>& settings);
