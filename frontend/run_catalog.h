#pragma once
// What a run is, for every front end: the runs under a folder with the
// program that reads each and the path that program is given.
#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/program.h"

struct CatalogRun {
    std::string name;     // the run's name, as its outputs are named (X for X.d, RUN for RUN.wiff, an export's base name)
    Program program;
    std::string path;     // relative to the folder, as the program is given it (X.d/Analysis.yep, sub/RUN.wiff, sub/x.mzML)
    std::string source;   // relative to the folder: an existing file or folder the user recognises it by (X.d, the
                          // .wiff file if it exists, else its first export; the export)
    bool operator==(const CatalogRun&) const = default;
};

// How far a search goes. Deep trees and huge folders make a picker useless,
// not more helpful; a batch of runs wants every run it can reach.
struct CatalogScope {
    int maxDepth = 5;  // folder levels searched, the folder itself the first
    std::size_t maxRuns = std::numeric_limits<std::size_t>::max();  // the search stops once it has found this many
};

// The runs under `folder`, sorted by path:
// - a folder X.d holding an Analysis export (Analysis.mzML, Analysis.mzXML,
//   either maybe .gz): yepharvest reads X.d/Analysis.yep;
// - a file RUN.wiff (any letter case): wiffharvest, which reads the exports
//   beside it named RUN or RUN-<x>; those exports are no runs of their own;
// - an export holding a .wiff file's spectrum ids ("sample=1 period=1
//   cycle=96 experiment=2") stands for RUN.wiff beside it, whether or not
//   that file is there: the converter names a single sample's export
//   RUN.mzML and the others RUN-<sample name>.mzML;
// - any other export X.mzML, X.mzXML (or .gz): yepharvest reads it itself.
// X.d in any letter case of ".d". Other X.d folders are passed over; other
// folders are searched. Links that leave the folder are not followed, nor
// are folders that cannot be read, nor links to folders inside it (a link
// named X.d is that run): those are searched where they lie, so that each
// run is listed once and a loop of links ends. What is no regular file or
// folder (a FIFO, a device, a link that leads nowhere) is passed over and
// never opened. An export's head is read as XML: its first sample's name
// with references decoded, and a .wiff file's ids only in spectrum ids.
// Throws std::filesystem::filesystem_error when `folder` itself cannot be read.
std::vector<CatalogRun> catalogRuns(const std::filesystem::path& folder, const CatalogScope& scope = {});

// The .wiff run an export stands for, as the catalogue of the folder that
// holds it has it (wiffharvest then reads this export among that run's
// exports); nothing when the export is a run of its own or is not there.
std::optional<CatalogRun> wiffRunOfExport(const std::filesystem::path& exportPath);

// A run folder's name: X.d, the ending in any letter case.
bool isRunFolderName(std::string_view name);

// The run a path named by itself stands for (on the command line, in the
// form or a GET link), by the rules the catalogue finds runs by; `path` is
// then the data file its program is given (absolute when `named` is),
// `source` the path as named:
// - a path ending in .wiff is wiffharvest's run RUN;
// - a run folder X.d, or an export Analysis.* or Analysis.yep inside one,
//   is yepharvest's run X, given X.d/Analysis.yep (which need not exist: the
//   check that follows names what is missing);
// - an export the catalogue of its folder gives to a .wiff file is that
//   file's run;
// - any other path is yepharvest's, given as it is;
// nothing for any other folder, which stands for the runs found in it.
std::optional<CatalogRun> runOfNamedPath(const std::filesystem::path& named);

// Why `program` would find nothing to read at `dataFile` (as runOfNamedPath
// gives it), in words that follow the run's name; nothing when it would. The
// run, its export or its folder must be there, and the file read a regular
// file that can be read: a FIFO or a device is refused, never opened. Paths
// are shown relative to `shownFrom` (as they are when it is empty), and
// `where` ends the sentences that say something is not there (" under the
// data root").
std::optional<std::string> missingRun(Program program, const std::filesystem::path& dataFile,
                                      const std::filesystem::path& shownFrom, const std::string& where);

// What `program` reads of the run it is given as `dataFile`: that path,
// and the run folder of X.d/Analysis.yep or the exports beside a .wiff path.
std::vector<std::filesystem::path> runInputs(Program program, const std::filesystem::path& dataFile);

// The web form's picker: `program`'s runs under the data root, at most five
// levels deep and 2000 runs; none when the root cannot be read.
std::vector<CatalogRun> pickerRuns(const std::filesystem::path& dataRoot, Program program);
// Their paths, as the programs are given them.
std::vector<std::string> findRuns(const std::filesystem::path& dataRoot, Program program);
