#pragma once
// Which program reads a path named on the command line, the data file it is
// given and the run's name.
#include <string>
#include <vector>

struct ChosenRun {
    std::string given = {};         // the path as named
    std::string name = {};          // the run name the program gives the data file
    std::string program = {};       // "yepharvest" or "wiffharvest"
    std::string dataFilename = {};  // absolute
    std::string note = {};          // how the path was understood, when it is not plain
};

// The run a path names: wiffharvest tells its runs by the ".wiff" ending
// (the file itself need not exist; its exports beside it must); anything
// else is yepharvest's, a run folder X.d standing for its X.d/Analysis.yep
// also when that is missing (the program then says so). Throws
// CommandLineError for a path no program can take.
std::vector<ChosenRun> chooseRuns(const std::string& path);
