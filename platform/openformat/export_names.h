#pragma once
// How run exports are named: the endings they carry and the run name that
// their file name gives.
#include <string>
#include <string_view>

// True for a file name ending in .mzML, .mzXML, .mzML.gz or .mzXML.gz, in
// any letter case.
bool hasExportEnding(std::string_view fileName);
// The file name without directory and without that ending ("" when absent).
std::string exportBaseName(std::string_view path);
