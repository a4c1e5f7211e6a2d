#pragma once
// The values a choice key takes, as every front end offers them: the key
// table's choices, or for the cysteine key the modifications of
// msparams_quarrow/cysteines.tsv, where two names of one modification
// (iodoacetamide and carbamidomethyl) say which is which.
#include <string>
#include <vector>

#include "core/extractor/query_keys.h"

struct OfferedChoice {
    std::string value;
    std::string label = {};      // for people, when it says more than the value
    std::string standsFor = {};  // the earlier value this one is another name of
};

// The modifications of a cysteines.tsv in file order, read as the programs
// read it; a name that makes the same residue as an earlier one stands for
// that one. None when the file cannot be read.
std::vector<OfferedChoice> cysteineChoices(const std::string& cysteinesFile);

// What `key` offers: its row's choices, `cysteines` for the cysteine key,
// nothing for any other key.
std::vector<OfferedChoice> offeredChoices(const QueryKey& key, const std::vector<OfferedChoice>& cysteines);

// One choice as a form's option shows it: "Find each charge",
// "carbamidomethyl (another name for iodoacetamide)".
std::string choiceLabel(const OfferedChoice& choice);

// Every choice of `key` in one line, as --help, the refusals and the
// workflow say it: "Find (Find each charge), Default (Only singly charged),
// empty (Fixed: lowCharge = highCharge)"; "pyridylethylation, acrylamide,
// iodoacetamide, carbamidomethyl (another name for iodoacetamide), ...".
// Empty when the key offers none.
std::string choicesText(const QueryKey& key, const std::vector<OfferedChoice>& cysteines);
