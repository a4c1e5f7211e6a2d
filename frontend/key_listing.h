#pragma once
// The key table as people and scripts read it: a tab-separated listing for
// the workflow, the README's tables, and the front ends' help.
#include <string>
#include <string_view>
#include <vector>

#include "core/extractor/query_keys.h"
#include "frontend/key_choices.h"

// One header line, then one line per key in table order: key, type, the
// programs that read it, the programs' default ("" when absent), the front
// ends' default, the range, the group, 1 for a key no stage reads, 1 for a key the form
// folds under "Advanced", label, help.
std::string keysTsv();
// One table per group; keys no stage reads in a last table of their own.
std::string keysMarkdown();

// What a front end offers for a key, in the words every front end uses: the
// default it fills in ("Find (the programs alone: absent)"), and the range or
// the values ("0 - 10000", "Find, Default, (empty)"; "" when neither).
std::string offeredDefaultText(const QueryKey& key);
std::string rangeOrValuesText(const QueryKey& key);

// Every key as a front end offers it, for people: by group, each with its
// label, the programs that read it, the default, the range or values (the
// cysteine key's from `cysteines`) and the help line, wrapped for a
// terminal. The keys in `ownKeys` are listed as set by `frontEnd` itself;
// keys no stage reads come last, apart, as accepted by the programs but not
// offered.
std::string keysHelp(std::string_view frontEnd, const std::vector<std::string_view>& ownKeys,
                     const std::vector<OfferedChoice>& cysteines = {});
