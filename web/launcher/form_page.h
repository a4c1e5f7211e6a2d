#pragma once
// The form page of one program, posting to /cgi-bin/<program>.
#include <string>
#include <vector>

struct FormPageInputs {
    std::string program;                  // "yepharvest" or "wiffharvest"
    std::vector<std::string> runs;        // relative to the data root
    std::vector<std::string> cysteines;   // names from cysteines.tsv
    std::string dataRoot;                 // shown to the user
    std::string resultsRoot;
};

std::string formPage(const FormPageInputs& inputs);
