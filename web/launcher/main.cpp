// One binary behind every CGI name of the server: installed as yepharvest
// and wiffharvest it offers that program's form and runs it, as results it
// lists earlier requests and sends their files.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>

#include "web/launcher/launch.h"
#include "web/launcher/launch_config.h"
#include "web/launcher/page_frame.h"
#include "web/launcher/results_page.h"

int main(int argc, char** argv) {
    // A browser that leaves must not end the launcher before the program has
    // written its files.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string name = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : std::string();
    std::string problem;
    const std::optional<LaunchConfig> config = configFromEnvironment(problem);
    if (!config) {
        std::cout << errorResponse(500, "Server set-up", problem) << std::flush;
        return 0;
    }
    if (name == "results") return showResults(*config);
    if (const std::optional<Program> program = programNamed(name)) return launchProgram(*program, *config);
    std::cout << errorResponse(404, "Unknown program", "No program is served under the name \"" + name + "\".")
              << std::flush;
    return 0;
}
