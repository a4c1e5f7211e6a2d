#pragma once
// quarrow-extract's command line: RUN... [--settings FILE] [--KEY VALUE]...
// -o|--out DIR (or --write-settings FILE instead of running), read
// against the key table and refused, with a message for people, before
// anything runs when it is not what the chosen programs read.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/util/cgi_query.h"
#include "frontend/command_line_error.h"
#include "frontend/program.h"
#include "frontend/settings_file.h"

// Where the tool finds what it runs: an option, else an environment
// variable, else the places found beside the tool (tool_places.h).
struct ToolPlaces {
    std::string yepharvest = {};
    std::string wiffharvest = {};
    std::string parameters = {};  // the msparams_quarrow folder
    std::string report = {};      // quarrow-report
};

// One run of a call, with everything its program gets.
struct ExtractRun {
    std::string given = {};         // the path as the command line names it
    std::string name = {};          // the run name: its folder in --out, the prefix of its peak lists
    Program program = Program::yepharvest;
    std::string programPath = {};   // the binary
    std::string dataFilename = {};  // absolute, as the program reads it
    std::string folder = {};        // DIR/RUN/, absolute
    std::string note = {};          // how the run was understood, when it is not plain
    std::vector<QueryEntry> query = {};   // everything the program gets
    std::vector<QueryEntry> filled = {};  // front ends' defaults that differ from the program's
};

struct ExtractCommand {
    bool help = false;
    bool version = false;
    bool verbose = false;  // the programs' progress and the keys, not only each run's outcome
    bool check = false;    // everything checked and each run named, nothing run
    std::size_t jobs = 1;  // runs extracted at once
    std::string parameters = {};
    std::string report = {};  // quarrow-report
    std::string outDir = {};  // absolute, ending in "/"
    std::vector<QueryEntry> given = {};  // the keys given, in command-line order
    std::vector<ExtractRun> runs;   // in command-line order
    // --write-settings FILE, absolute: the settings to write there instead
    // of running, those of every key the runs' programs (else both) read.
    std::string writeSettings = {};
    std::vector<Setting> settings = {};
};

// The keys this tool sets itself.
const std::vector<std::string_view>& toolSetKeys();

// `environment` answers getenv's question for a name. Throws
// CommandLineError naming what is wrong.
ExtractCommand parseExtractCommand(const std::vector<std::string>& arguments, const ToolPlaces& builtIn,
                                   const std::function<std::optional<std::string>(const char*)>& environment);
