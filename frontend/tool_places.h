#pragma once
// Where a tool finds the programs it runs, their parameter folder and the
// run report: beside its own executable, so that the same binary works in
// the build tree it was built in and once installed under any prefix, with
// no path of the build machine in it.
#include <string>

#include "frontend/extract_command.h"

// The installed layout (PREFIX/bin beside PREFIX/share/quarrow/msparams_quarrow)
// when its parameter folder and a program are there, else the build tree's
// when they are there, else the installed layout's places, which the
// refusals then name.
ToolPlaces toolPlaces();

// toolPlaces() for a tool whose executable lies in `toolFolder`.
ToolPlaces toolPlacesFrom(const std::string& toolFolder);
