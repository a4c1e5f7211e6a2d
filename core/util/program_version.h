#pragma once
// A program is asked its version by hand, "yepharvest --version", and
// answers "yepharvest VERSION" on one line. A web server may pass a query
// without "=" as the program's arguments (CGI's search words), so
// "?--version" would arrive as the same argument: a program started as a
// CGI program (GATEWAY_INTERFACE set) never takes it for the question.

// True when this start asks the version: `--version` the only argument and
// no GATEWAY_INTERFACE; it is then printed on standard output.
bool answeredVersion(int argc, char* argv[], const char* name, const char* version);
