#pragma once
// One CGI request for one first-vendor run: start-up, reading, the stages in
// their fixed order, and the process's exit status.

int runYepharvest();
