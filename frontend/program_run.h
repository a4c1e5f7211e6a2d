#pragma once
// The processes a request starts: the program, run the way a web server runs
// a CGI program, its output handed on as it comes so that the progress lines
// reach the browser while the run goes on; and the tools that make the
// request's report and archive, and the command line's report.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ProgramOutcome {
    bool started = false;
    int exitStatus = -1;  // -1 when it ended by a signal
    int signal = 0;
    std::string failure;  // why it could not be started
    std::string error;    // the first sentence of its failure line, when it wrote one
};

// The program gets only QUERY_STRING and the other request variables, no
// standard input, and `workDir` as its working folder.
ProgramOutcome runStreaming(const std::filesystem::path& program, const std::filesystem::path& workDir,
                            const std::string& queryString, const std::function<void(std::string_view)>& output);

// A tool (found on PATH unless the path is given) with these arguments and
// this process's environment, the signals a front end may ignore at their
// defaults: `input` on its standard input, its standard output and error to
// these descriptors. Not started: `failure` says why.
ProgramOutcome runTool(const std::vector<std::string>& command, const std::string& input, int outputFd, int errorFd);

struct ToolOutput {
    ProgramOutcome outcome;
    std::string said;  // its standard output and error, together as it wrote them
};

// runTool with nothing on its standard input, keeping what it says.
ToolOutput runToolKeepingOutput(const std::vector<std::string>& command);
