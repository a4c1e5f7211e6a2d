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
// The run name a program gives a data file, the prefix of every output
// name: X for a run folder's X.d\Analysis.yep (X.D too; either separator),
// an export's file name without its ending, any other file name without its
// last extension ("lysate3" for D:\runs\lysate3.wiff).
std::string runNameOfDataFile(std::string_view dataFilename);
