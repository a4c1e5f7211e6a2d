#pragma once
// One CGI request for one .wiff file: start-up, the file's samples one after
// another through the stages, the run time, and the process's exit status.

int runWiffharvest();
