#pragma once
// Which program reads a path named on the command line, the data file it is
// given and the run's name; a folder of runs stands for every run in it.
#include <string>
#include <vector>

#include "frontend/program.h"

struct ChosenRun {
    std::string given = {};         // the path as named, or the run's own path in a folder named
    std::string name = {};          // the run name the program gives the data file
    Program program = Program::yepharvest;
    std::string dataFilename = {};  // absolute
    std::string note = {};          // how the path was understood, when it is not plain
};

// The runs a path names: the run runOfNamedPath (run_catalog.h) makes of it,
// with a note when an export stands for its .wiff file; a folder that is no
// run folder holds the runs the catalogue finds in it. Throws
// CommandLineError for a path no program can take, a run that is not there
// or cannot be read (missingRun), a folder without runs, and a run whose
// name or path cannot be run (runProblem).
std::vector<ChosenRun> chooseRuns(const std::string& path);
