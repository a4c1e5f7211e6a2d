// quarrow-runs: the runs of a folder, found as the web form's picker finds
// them, with the program that reads each.
//   quarrow-runs --tsv FOLDER   one tab-separated line per run (the workflow reads it)
//   quarrow-runs --version      its version
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "frontend/run_batch.h"
#include "frontend/run_catalog.h"
#include "frontend/run_listing.h"

namespace {

constexpr const char* usage = "usage: quarrow-runs --tsv FOLDER | --help | --version\n";

constexpr const char* help =
    "quarrow-runs --tsv FOLDER lists the runs under FOLDER and its folders (five levels), one line per run,\n"
    "sorted by path, after a header line: run, program, path, source, problem.\n"
    "\n"
    "  run      the run's name, which its peak lists and log rows start with\n"
    "  program  yepharvest or wiffharvest\n"
    "  path     the data file the program is given, relative to FOLDER\n"
    "  source   the file or folder the run was found by, relative to FOLDER\n"
    "  problem  why the run cannot be run beside the others into one results folder (empty when it can)\n"
    "\n"
    "A run is: a folder X.d (.d in any letter case) holding Analysis.mzML or Analysis.mzXML (either maybe\n"
    ".gz), read by yepharvest as X.d/Analysis.yep; a file RUN.wiff, read by wiffharvest with its exports\n"
    "RUN.mzML and RUN-<sample>.mzML beside it; exports whose spectrum ids are a .wiff file's, which stand\n"
    "for RUN.wiff; any other export X.mzML or X.mzXML (or .gz), read by yepharvest. Links that leave\n"
    "FOLDER are not followed, nor links to folders inside it (searched where they lie: each run is listed\n"
    "once); FIFOs, devices and links that lead nowhere are passed over, never opened.\n"
    "A backslash, tab, line feed or carriage return in a field is written \\\\, \\t, \\n or \\r, any other\n"
    "control character \\xHH.\n"
    "\n"
    "Exit status: 0 when listed (no runs is a header alone), 2 when FOLDER cannot be read or the command\n"
    "line is wrong.\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments == std::vector<std::string>{"--version"}) {
        std::printf("quarrow-runs %s\n", QUARROW_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (arguments == std::vector<std::string>{"--help"}) {
        std::fputs(usage, stdout);
        std::fputs(help, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (arguments.size() != 2 || arguments[0] != "--tsv") {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string& folder = arguments[1];
    std::vector<CatalogRun> runs;
    try {
        runs = catalogRuns(folder);
    } catch (const std::filesystem::filesystem_error& error) {
        std::fprintf(stderr, "quarrow-runs: cannot read the folder %s: %s\n", folder.c_str(), error.code().message().c_str());
        return 2;
    }
    const std::string text = runsTsv(runs, batchProblems(runs, folder));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
