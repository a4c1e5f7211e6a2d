#pragma once
// What an mzXML export says of its run before its scans: the run's
// description and what its scans take from it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/openformat/export_types.h"

struct MzXMLHeader {
    ExportRunInfo info;
    // Scans of a Thermo run are named as the vocabulary's Thermo native ids
    // ("controllerType=0 controllerNumber=1 scan=N"), others "scan=N".
    bool thermoIds = false;
    // centroided="1" of the data processing, for scans that do not say.
    std::optional<bool> centroided;
    // Parent files with a fileType other than "RAWData": "name" (type).
    std::vector<std::string> otherFileTypes;
};

// `text` runs from the start of the export to its first scan. Throws
// ExportReadError naming `path` when it holds an unknown reference.
MzXMLHeader readMzXMLHeader(std::string_view text, const std::string& path);
