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

// The runs a path names:
// - a path ending in ".wiff" is wiffharvest's (the file itself need not
//   exist; its exports beside it must);
// - an export that the run catalogue gives to a .wiff file (by its
//   spectrum ids, or by its name beside that file) is that file's run, with
//   a note saying so;
// - a folder that is not a run folder X.d holds the runs the catalogue
//   finds in it;
// - anything else is yepharvest's, a run folder X.d standing for its
//   X.d/Analysis.yep also when that is missing (the program then says so).
// Throws CommandLineError for a path no program can take, a folder without
// runs, and a run whose name cannot be a folder of its own.
std::vector<ChosenRun> chooseRuns(const std::string& path);
