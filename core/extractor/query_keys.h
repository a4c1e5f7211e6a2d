#pragma once
// Every query key the programs accept, described once: the field it sets,
// how its value text is read, the programs' default, its range, and what a
// person needs to choose a value. Parsing, the range check, the web form,
// the command line's help and the workflow's key list all read this table.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/extractor/extractor_parameters.h"
#include "core/util/cgi_query.h"

// How a value text becomes the field's value.
enum class KeyType {
    integer,    // lenient decimal integer, saturating at the 32-bit ends
    real,       // lenient decimal real
    text,       // the text as given
    lines,      // the non-blank lines of the value
    unitsCode,  // "Da" 0, "ppm" 1, "mmu" 2, "%" 3, anything else 4
};

using KeyField = std::variant<std::int32_t ExtractorParameters::*, double ExtractorParameters::*,
                              std::string ExtractorParameters::*, std::optional<std::string> ExtractorParameters::*,
                              std::vector<std::string> ExtractorParameters::*>;

// The values a numeric key may take. Integers saturate and reals may be
// infinite while they are read: the bounds keep every later sum and product
// of these values inside its type.
struct KeyRange {
    double lowest = 0.0;
    double highest = 0.0;
    bool lowestExcluded = false;  // the value must lie above `lowest`

    bool fits(double value) const;
    // As the error page shows it: "0 - 9", "above 0 up to 1000".
    std::string text() const;
};

struct KeyChoice {
    const char* value;
    const char* label;
};

enum class KeyPrograms { both, yepharvest, wiffharvest };

// What a value is to the front ends, which check, offer and fill in values
// by it rather than by the key's name.
enum class KeyRole {
    number,       // checked by its type and range
    choice,       // one of the row's choices
    cysteine,     // a name of msparams_quarrow/cysteines.tsv
    runData,      // the run's data file: one path per run, set by the front end
    folder,       // a folder the front end makes for each run (frontEndFolder)
    fileName,     // a plain file name inside a folder
    logFileName,  // a plain file name ending in .txt, beside the other logs
    text,         // anything: read for older front ends only
};

// Help a front end that checks paths against its roots shows instead.
struct ProgramHelp {
    KeyPrograms programs;
    const char* text;
};

struct QueryKey {
    const char* name;
    KeyRole role;
    KeyField field;
    KeyType type;
    const char* programDefault = nullptr;  // as a query value; nullptr: absent
    std::optional<KeyRange> range = std::nullopt;
    std::vector<KeyChoice> choices = {};
    bool choiceList = false;  // the value may be a comma list of choices
    // What the front ends (form, GET links, command line, workflow) fill in
    // when it differs from the programs' default; nullptr: the same.
    const char* frontEndDefault = nullptr;
    // A folder key: the sub-folder of a request's or run's own folder.
    const char* frontEndFolder = nullptr;
    KeyPrograms programs = KeyPrograms::both;
    const char* group = "";
    const char* label = "";  // for people
    const char* help = "";   // one line
    std::vector<ProgramHelp> rootedHelp = {};
    bool unused = false;  // accepted and ignored: no stage reads it
    // Rarely changed: the form folds it away under "Advanced".
    bool advanced = false;
};

// Two numeric keys whose values bound one window: the value of `lower` may
// not lie above that of `upper`, or the window takes nothing.
struct KeyOrder {
    const char* lower;
    const char* upper;
    const char* emptyWindow;  // what is left when it is inverted, for people
};

// In the order the query ranges are checked.
const std::vector<QueryKey>& queryKeys();
// The windows the front ends refuse inverted, in the order they are checked.
// The programs take an inverted window as they take any other: every scan
// or precursor outside it is rejected with a reject row naming the window,
// so a run started directly says in its logs why nothing was written.
const std::vector<KeyOrder>& keyOrders();
// The groups in the order people see them.
const std::vector<const char*>& queryKeyGroups();
// Nothing for a name that is no key (names are case-sensitive).
const QueryKey* findQueryKey(std::string_view name);
// A value of a choice key as the front ends offer it: one of its choices
// (exactly), or for a choiceList key a comma list of them.
bool isChoiceValue(const QueryKey& key, std::string_view value);
// The one key of `role` (runData).
const QueryKey& keyOfRole(KeyRole role);
// The key that sets `field` (&ExtractorParameters::logFileDir, ...).
const QueryKey& keyOfField(const KeyField& field);
// Set by the front end for each run: the data file and the folders.
bool setPerRun(const QueryKey& key);
// A key naming a file inside the folder it is glued to.
bool namesAFile(const QueryKey& key);
// The programs column as the key listings and refusals write it: "both",
// "yepharvest", "wiffharvest".
const char* programsName(KeyPrograms programs);
// The role's name as the key listings write it ("run data", "folder", ...).
const char* roleName(KeyRole role);

// The value the front ends fill in, "" for an absent default.
std::string frontEndValue(const QueryKey& key);
// The key's field of `parameters` as a number (keys of numeric type only).
double numericValue(const QueryKey& key, const ExtractorParameters& parameters);
// The key's field of `parameters` as a value text that reads back as the
// same value (a lines key's lines joined by line feeds).
std::string queryValueText(const QueryKey& key, const ExtractorParameters& parameters);
// Every key a stage of `program` reads (its own and both programs' keys,
// none that is unused) with its value text, in table order, but the run's
// data file and where its files go: the settings a run states in its peak
// lists.
std::vector<std::pair<std::string, std::string>> querySettings(const ExtractorParameters& parameters,
                                                               KeyPrograms program);
// Stores `value`, read as the key's type, in the key's field.
void applyQueryValue(const QueryKey& key, ExtractorParameters& parameters, const std::string& value);

// The programs' defaults with the entries applied in order; the last
// occurrence of a key wins, unknown keys are ignored, nothing is ever
// rejected. No entries: every field at the programs' default.
ExtractorParameters readExtractorParameters(const std::vector<QueryEntry>& entries);
