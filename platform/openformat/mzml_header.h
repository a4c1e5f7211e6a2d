#pragma once
// What an mzML export says of its run before its spectra: the run's
// description and the referenceable parameter groups its elements use.
#include <string>
#include <string_view>
#include <vector>

#include "platform/openformat/export_types.h"
#include "platform/openformat/param_terms.h"

struct MzmlHeader {
    ExportRunInfo info;
    ParamGroups groups;
    std::vector<std::string> missingGroups;  // referenced in the header, never defined
};

// `text` runs from the start of the export to where its spectra begin.
// Throws ExportReadError naming `path` when it is not well-formed.
MzmlHeader readMzmlHeader(std::string_view text, const std::string& path);
