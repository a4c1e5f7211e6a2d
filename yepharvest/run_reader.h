#pragma once
// Reads one first-vendor run, every spectrum at once, into the run table.
#include <string>

// 0 when the run was read, 1 when opening or reading failed.
int readVelmoraDataIntoMemory(const std::string& runPath);
