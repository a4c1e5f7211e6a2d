// quarrow-extract: yepharvest or wiffharvest on one run from the command line,
// run as a web server runs them, with the front ends' defaults.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/extractor/query_keys.h"
#include "tools/extract/cgi_launch.h"
#include "tools/extract/extract_command.h"
#include "tools/extract/plain_progress.h"
#include "tools/extract/tool_places.h"
#include "tools/keys/key_listing.h"

namespace fs = std::filesystem;

namespace {

// Refused before anything ran.
constexpr int refusedStatus = 2;

const ToolPlaces builtIn = toolPlaces();

void printHelp() {
    std::printf(
        "usage: quarrow-extract RUN [--KEY VALUE]... --out DIR\n"
        "\n"
        "Extracts the peak lists of one run with yepharvest or, for a .wiff path,\n"
        "wiffharvest, started as a web server starts them, and prints their progress.\n"
        "Every key not given takes the front ends' default (below).\n"
        "\n"
        "RUN    a first-vendor run folder X.d (or its X.d/Analysis.yep), an mzML or\n"
        "       mzXML export (also .gz), or a .wiff path whose exports RUN.mzML or\n"
        "       RUN-<sample>.mzML lie beside it (the .wiff file itself need not).\n"
        "--out DIR   made if missing; the peak lists (one MGF file per run or\n"
        "       sample; .pkl files with peakListFormat pkl or both) go to\n"
        "       DIR/peaklists/, the four logs (parentChargeCheck.txt,\n"
        "       xtractorRejectReasons.txt, the spectrum features file and\n"
        "       runStats.txt) to DIR/logs/. Several runs may share\n"
        "       DIR: the logs gain each run's rows, as the programs append them.\n"
        "--KEY=VALUE   the same as --KEY VALUE (for a value that begins with --).\n"
        "--yepharvest PATH, --wiffharvest PATH   the programs; else the variables\n"
        "       QUARROW_YEPHARVEST and QUARROW_WIFFHARVEST; else those beside this tool\n"
        "         %s\n"
        "         %s\n"
        "--parameters DIR   the parameter folder the programs read as msparams_quarrow/;\n"
        "       else the variable QUARROW_PARAMETERS; else\n"
        "         %s\n"
        "--help   this text.\n"
        "--version   its version.\n"
        "\n"
        "Exit status: the program's (0 after a run, 1 after its error; 128 + N when\n"
        "signal N stopped it); 2 when the command line was refused and nothing ran.\n",
        builtIn.yepharvest.c_str(), builtIn.wiffharvest.c_str(), builtIn.parameters.c_str());
    std::fputs(("\nQuery keys, by group:\n" + keysHelp("quarrow-extract", toolSetKeys())).c_str(), stdout);
}

int refused(const std::string& message) {
    std::fprintf(stderr, "quarrow-extract: %s\n", message.c_str());
    return refusedStatus;
}

std::string entriesText(const std::vector<QueryEntry>& entries) {
    std::string text;
    for (const QueryEntry& entry : entries) text += (text.empty() ? "" : ", ") + entry.name + "=" + entry.value;
    return text;
}

// A reader that went away (quarrow-extract ... | head) does not stop the run:
// the program runs to its end and its files are complete.
void write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    ExtractCommand command;
    try {
        command = parseExtractCommand(std::vector<std::string>(argv + 1, argv + argc), builtIn,
                                      [](const char* name) -> std::optional<std::string> {
                                          const char* value = std::getenv(name);
                                          return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
                                      });
    } catch (const CommandLineError& error) {
        return refused(std::string(error.what()) + "\n(quarrow-extract --help lists the options and keys)");
    }
    if (command.help) {
        printHelp();
        return 0;
    }
    if (command.version) {
        std::printf("quarrow-extract %s\n", QUARROW_VERSION);
        return 0;
    }
    if (::access(command.programPath.c_str(), X_OK) != 0) {
        const std::string upper = command.program == "yepharvest" ? "YEPHARVEST" : "WIFFHARVEST";
        return refused(command.program + " is not at " + command.programPath + ": build it (./setup.sh demo) or name it with --" +
                       command.program + " PATH or QUARROW_" + upper);
    }
    std::error_code error;
    if (!fs::is_directory(command.parameters, error)) {
        return refused("the parameter folder " + command.parameters +
                       " does not exist: name it with --parameters DIR or QUARROW_PARAMETERS");
    }
    for (const QueryKey& key : queryKeys()) {
        if (key.role != KeyRole::folder) continue;
        fs::create_directories(fs::path(command.outDir) / key.frontEndFolder, error);
        if (error) return refused("cannot make " + command.outDir + key.frontEndFolder + "/: " + error.message());
    }

    write(command.program + " " + command.dataFilename + "\n");
    if (!command.given.empty()) write("Given: " + entriesText(command.given) + "\n");
    if (!command.filled.empty()) write("Front ends' defaults filled in: " + entriesText(command.filled) + "\n");
    PlainProgress progress;
    LaunchOutcome outcome;
    try {
        outcome = runAsCgi({command.programPath, command.parameters, formatQueryString(command.query)},
                           [&](std::string_view bytes) { write(progress.feed(bytes)); });
    } catch (const LaunchError& failure) {
        std::fprintf(stderr, "quarrow-extract: %s\n", failure.what());
        return 1;
    }
    write(progress.finish());
    if (outcome.signal != 0) {
        std::fprintf(stderr, "quarrow-extract: %s was stopped by signal %d\n", command.program.c_str(), outcome.signal);
        return 128 + outcome.signal;
    }
    if (outcome.exitStatus != 0) {
        const std::string why = outcome.failure ? ": " + outcome.failure->sentence : "";
        std::fprintf(stderr, "quarrow-extract: %s failed (exit status %d%s); what it wrote is in %s\n",
                     command.program.c_str(), outcome.exitStatus, why.c_str(), command.outDir.c_str());
        return outcome.exitStatus;
    }
    write("Peak lists: " + command.outDir + "peaklists/\nLogs:       " + command.outDir + "logs/\n");
    return 0;
}
