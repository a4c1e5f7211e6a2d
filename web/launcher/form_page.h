#pragma once
// The form page of one program, posting to /cgi-bin/<program>: every key a
// stage reads, labelled for people with the key's name beside it, checked in
// the browser against the key table's ranges, the rarely changed ones folded
// under "Advanced".
#include <string>
#include <vector>

#include "core/util/cgi_query.h"
#include "core/util/html_page.h"
#include "frontend/key_choices.h"
#include "frontend/program.h"

struct FormPageInputs {
    Program program = Program::yepharvest;
    std::vector<std::string> runs;        // relative to the data root
    std::vector<OfferedChoice> cysteines;  // from cysteines.tsv
    std::string dataRoot;                 // shown to the user
    std::string resultsRoot;
    // "Run again": the request whose settings the form starts with, and those
    // settings; nothing for the front ends' defaults.
    std::string againOf;
    std::vector<QueryEntry> settings;
};

PageHtml formPage(const FormPageInputs& inputs);
