#pragma once
// The runs under the data root that a form offers to pick, as paths relative
// to the root, read when the form is requested.
#include <filesystem>
#include <string>
#include <vector>

// yepharvest: X.d/Analysis.yep for every run folder that holds an Analysis
// export, and every other export that does not stand for a .wiff file.
// wiffharvest: every .wiff file, and <run>.wiff for the exports that stand
// for one: those named <run> or <run>-<x> beside <run>.wiff, and those whose
// spectrum ids are a .wiff file's ("sample=1 period=1 cycle=96
// experiment=2"), named <run> or <run>-<sample name>. Links that leave the
// root are not followed.
std::vector<std::string> findRuns(const std::filesystem::path& dataRoot, const std::string& program);
