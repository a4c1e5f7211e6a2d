#pragma once
// Runs one program the way a web server runs a CGI program and passes its
// output on as it comes, so that the progress lines reach the browser
// while the run goes on.
#include <filesystem>
#include <string>

struct ProgramOutcome {
    bool started = false;
    int exitStatus = -1;  // -1 when it ended by a signal
    int signal = 0;
    std::string failure;  // why it could not be started
};

// The program gets only QUERY_STRING and the other request variables, no
// standard input, and `workDir` as its working folder.
ProgramOutcome runStreaming(const std::filesystem::path& program, const std::filesystem::path& workDir,
                            const std::string& queryString, int outputFd);
