#pragma once
// The open-format exports that stand for the samples of a .wiff file: the
// files beside it named after it, `<run>` or `<run>-<sample>`, with an mzML
// or mzXML ending (either gzip-compressed).
#include <string>
#include <vector>

struct WiffExportSearch {
    std::string folder;   // where they were looked for
    std::string runName;  // the .wiff file name without folder and last extension
    std::vector<std::string> files;  // paths of the exports found, in file-name order
};

// `wiffPath` may separate folders with "\" or "/"; without a folder the
// working folder is searched. The .wiff file itself need not exist.
WiffExportSearch findWiffExports(const std::string& wiffPath);

// What a user reads when nothing was found: the folder and the names looked for.
std::string describeMissingExports(const WiffExportSearch& search);
