#pragma once
// The runs under the data root that a form offers to pick, as paths
// relative to the root.
#include <filesystem>
#include <string>
#include <vector>

// yepharvest: X.d/Analysis.yep for every run folder that holds an
// Analysis export, and every export file outside run folders.
// wiffharvest: every .wiff file, and <run>.wiff beside the exports
// <run>.mzML or <run>-<sample>.mzML that stand for one.
std::vector<std::string> findRuns(const std::filesystem::path& dataRoot, const std::string& program);

// The cysteine names of a cysteines.tsv, in file order.
std::vector<std::string> cysteineNames(const std::filesystem::path& cysteinesFile);
