// One binary behind every CGI name of the server: installed as yepharvest
// and wiffharvest it runs that program, as results it lists earlier
// requests; run as quarrow-launch --pages DIR it writes the form pages.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "web/launcher/form_page.h"
#include "web/launcher/launch.h"
#include "web/launcher/launch_config.h"
#include "web/launcher/page_frame.h"
#include "web/launcher/results_page.h"
#include "web/launcher/run_catalog.h"

namespace fs = std::filesystem;

namespace {

int writePages(const fs::path& folder, const LaunchConfig& config) {
    const std::vector<std::string> cysteines = cysteineNames(config.workDir / "msparams_quarrow" / "cysteines.tsv");
    for (const std::string program : {"yepharvest", "wiffharvest"}) {
        const FormPageInputs inputs{program, findRuns(config.roots.data, program), cysteines,
                                    config.roots.data.string(), config.roots.results.string()};
        std::ofstream page(folder / (program + ".html"));
        page << formPage(inputs);
        if (!page) {
            std::cerr << "quarrow-launch: cannot write " << (folder / (program + ".html")) << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A browser that leaves must not end the launcher before the program has
    // written its files.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string name = argc > 0 ? fs::path(argv[0]).filename().string() : std::string();
    std::string problem;
    const std::optional<LaunchConfig> config = configFromEnvironment(problem);
    if (argc == 3 && std::string(argv[1]) == "--pages") {
        if (!config) {
            std::cerr << "quarrow-launch: " << problem << "\n";
            return 1;
        }
        return writePages(argv[2], *config);
    }
    if (!config) {
        std::cout << errorResponse(500, "Server set-up", problem) << std::flush;
        return 0;
    }
    if (name == "results") return showResults(*config);
    if (name == "yepharvest" || name == "wiffharvest") return launchProgram(name, *config);
    std::cout << errorResponse(404, "Unknown program", "No program is served under the name \"" + name + "\".")
              << std::flush;
    return 0;
}
