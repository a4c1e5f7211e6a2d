#pragma once
// What the front ends send a program: every value checked more strictly than
// the programs read it (they read "12x" as 12 and "abc" as 0, and whoever
// typed either meant something else), and every key left out filled in with
// the front ends' default.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/extractor/query_keys.h"
#include "core/util/cgi_query.h"
#include "frontend/key_choices.h"
#include "frontend/program.h"

// Why a front end does not take `value` for `key`, its range always the
// key's own: "not a whole number (range 0 - 10000)", "outside its range 0 -
// 10000" (for digits beyond any whole number the programs read), "not a
// number (range 0 - 1000000000)", "not one of Find (Find each charge), ...",
// "must be a plain file name", "must end in .txt", "not a cysteine
// modification of msparams_quarrow/cysteines.tsv: pyridylethylation, ...";
// nothing when it takes it; a choice is refused with every choice
// (choicesText). `cysteines` are the modifications cys may take (none
// known: not checked). Every front end asks
// this one question, so that all refuse the same values with the same
// words. Ranges of values that are numbers are left to rangeProblem.
std::optional<std::string> valueProblem(const QueryKey& key, const std::string& value,
                                        const std::vector<OfferedChoice>& cysteines);

// Why a front end does not take the name `name` for `program`, its key
// names written with `prefix` ("--" on the command line): "autocharge is no
// key; did you mean autoCharge? (key names are case-sensitive)", "autoCharge
// is read by yepharvest only, not by wiffharvest."; nothing for a key
// `program` reads, and for a name that is no key at all (the web passes it
// on, as the programs ignore it; the command line refuses it in its own
// words).
std::optional<std::string> keyProblem(const std::string& name, Program program, std::string_view prefix);

// The keys a front end sets for each run itself, in table order.
std::vector<std::string_view> perRunKeys();
// Their entries for one run: the data file, then each folder key's own
// sub-folder of `runFolder` ("peaklists/", "logs/"), ending in the separator
// the programs glue file names to. `runFolder` ends in a separator.
std::vector<QueryEntry> perRunEntries(const std::string& dataFile, const std::string& runFolder);

// The programs' own range check on the whole query, in the words of their
// error page ("The value -3 of the query key groupScans is outside its range
// 0 - 10000."), then the windows of the key table, in the same words ("The
// value 10 of the query key firstScan is above the value 5 of the query key
// lastScan: no scan lies between them."), which the front ends refuse before
// anything runs.
std::optional<std::string> rangeProblem(const std::vector<QueryEntry>& query);

struct FrontEndQuery {
    // Every key `program` reads, `ownKeys` and keys no stage reads left out,
    // in table order: the value given, else the front ends' default.
    std::vector<QueryEntry> entries;
    // The defaults filled in that differ from the programs' own.
    std::vector<QueryEntry> filled;
};

// A key given more than once counts with its last value, as the programs
// read it; entries that are no key of `program` are left out.
FrontEndQuery withFrontEndDefaults(Program program, const std::vector<QueryEntry>& given,
                                   const std::vector<std::string_view>& ownKeys);
