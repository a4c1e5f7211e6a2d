// quarrow-extract: yepharvest or wiffharvest on one or more runs from the
// command line, run as a web server runs them, with the front ends' defaults.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/committed_file.h"
#include "core/util/failure_line.h"
#include "frontend/cgi_launch.h"
#include "frontend/extract_command.h"
#include "tools/extract/extract_run.h"
#include "tools/extract/parallel_runs.h"
#include "tools/extract/run_folder_claim.h"
#include "frontend/tool_places.h"
#include "frontend/key_listing.h"
#include "frontend/run_listing.h"

namespace fs = std::filesystem;

namespace {

// Refused before anything ran.
constexpr int refusedStatus = 2;

const ToolPlaces builtIn = toolPlaces();

void printHelp() {
    std::printf(
        "usage: quarrow-extract RUN... [--settings FILE] [--KEY VALUE]... -o|--out DIR\n"
        "       quarrow-extract [RUN...] [--settings FILE] [--KEY VALUE]... --write-settings FILE\n"
        "\n"
        "Extracts the peak lists of each run with yepharvest or, for a .wiff path,\n"
        "wiffharvest, started as a web server starts them, one run after another (or\n"
        "--jobs at once), and prints their progress. Every key not given takes the\n"
        "front ends' default (below); the keys given apply to every run whose program\n"
        "reads them.\n"
        "\n"
        "RUN    a first-vendor run folder X.d (or its X.d/Analysis.yep), an mzML or\n"
        "       mzXML export (also .gz), or a .wiff path whose exports RUN.mzML or\n"
        "       RUN-<sample>.mzML lie beside it (the .wiff file itself need not).\n"
        "       An export of a .wiff file (by its spectrum ids, or by its name beside\n"
        "       RUN.wiff) is that file's run, read by wiffharvest with every export of\n"
        "       it (a note says so). Any other folder stands for the runs found in it.\n"
        "       Its name: X for X.d, RUN for RUN.wiff, an export's file name without\n"
        "       its ending. Two runs of one name are refused.\n"
        "-o, --out DIR   made if missing; each run goes into DIR/RUN/:\n"
        "       peaklists/  its peak lists (one MGF file per run or sample; .pkl\n"
        "                   files with peakListFormat pkl or both)\n"
        "       logs/       its four logs (parentChargeCheck.txt,\n"
        "                   xtractorRejectReasons.txt, the spectrum features file\n"
        "                   and runStats.txt)\n"
        "       run.tsv     its record: field, value, source rows with the run, the\n"
        "                   program, its path, the version, start and end (UTC),\n"
        "                   outcome (ok, failed, stopped, not started), exit status,\n"
        "                   signal, error, spectra written, peak-list files,\n"
        "                   rejected, report, then every key with its value and\n"
        "                   whether it was given or a default\n"
        "       report.html its report (quarrow-report), for a run that succeeded\n"
        "       A run extracted again into the same DIR replaces these four (and\n"
        "       says so); other runs' folders are left as they are.\n"
        "--KEY=VALUE   the same as --KEY VALUE (for a value that begins with --).\n"
        "--settings FILE   the keys of a settings file: a run's run.tsv (its keys),\n"
        "       what --write-settings wrote, or lines KEY<TAB>VALUE or KEY = VALUE\n"
        "       (# begins a comment; a value written with \\\\, \\t, \\n, \\r, \\xHH for\n"
        "       a backslash, tab, line feed, carriage return, other control byte).\n"
        "       Checked as the options are; a --KEY on the command line overrides it.\n"
        "--write-settings FILE   writes every key the runs' programs (else both)\n"
        "       read, with its value and source, as --settings reads it, and runs\n"
        "       nothing.\n"
        "--yepharvest PATH, --wiffharvest PATH   the programs; else the variables\n"
        "       QUARROW_YEPHARVEST and QUARROW_WIFFHARVEST; else those beside this tool\n"
        "         %s\n"
        "         %s\n"
        "--report PATH   quarrow-report; else the variable QUARROW_REPORT; else\n"
        "         %s\n"
        "       A report that cannot be made is said; the run still succeeded.\n"
        "--parameters DIR   the parameter folder the programs read as msparams_quarrow/;\n"
        "       else the variable QUARROW_PARAMETERS; else\n"
        "         %s\n"
        "--jobs N   extracts up to N runs at once, each program on one core (the\n"
        "       others for the other runs); each run's lines are shown whole once it\n"
        "       has ended, in the order the runs were given. 1 when not given: one\n"
        "       run after another, each program on two cores, its lines as they come.\n"
        "--check   checks everything above as a run would, then, instead of running,\n"
        "       prints one line per run after a header line: run, program, path (the\n"
        "       data file the program would read), escaped as quarrow-runs --tsv\n"
        "       escapes them; nothing is made. The workflow checks each row of its\n"
        "       samplesheet so.\n"
        "-v, --verbose   the keys and the programs' progress too (their stage lines\n"
        "       and parameter blocks); without it each run shows its program and\n"
        "       data file, then its outcome.\n"
        "--help   this text.\n"
        "--version   its version.\n"
        "\n"
        "Each run ends with a line of its counts and its record; a run that fails\n"
        "does not stop the next ones, but an interrupt (SIGINT, SIGTERM, SIGHUP) does,\n"
        "after the running programs, each recorded as stopped. A call of several\n"
        "runs ends with their tally: how many finished, failed and were stopped,\n"
        "and each run's outcome with its folder. A run that did not succeed keeps\n"
        "its record and the logs that hold rows; no empty log or folder.\n"
        "Exit status: 0 when every run succeeded; else the first failed run's: 1\n"
        "after its program's error (or when it could not be started), 128 + N when\n"
        "signal N stopped it; 2 when the command line was refused and nothing ran.\n",
        builtIn.yepharvest.c_str(), builtIn.wiffharvest.c_str(), builtIn.report.c_str(), builtIn.parameters.c_str());
    const std::vector<OfferedChoice> cysteines = cysteineChoices(builtIn.parameters + "/cysteines.tsv");
    std::fputs(("\nQuery keys, by group:\n" + keysHelp("quarrow-extract", toolSetKeys(), cysteines)).c_str(), stdout);
}


// Paths and the programs' words reach a terminal with their control
// characters escaped, but for the line feeds and tabs of their lines.
std::string safeLines(std::string_view text) {
    std::string safe;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\n\t", at), text.size());
        safe += terminalSafe(text.substr(at, end - at));
        if (end < text.size()) safe += text[end];
        at = end + 1;
    }
    return safe;
}

// A reader that went away (quarrow-extract ... | head) does not stop the run:
// the program runs to its end and its files are complete.
void show(const std::string& text) {
    const std::string safe = safeLines(text);
    std::fwrite(safe.data(), 1, safe.size(), stdout);
    std::fflush(stdout);
}

void warn(const std::string& line) {
    std::fflush(stdout);
    std::fprintf(stderr, "quarrow-extract: %s\n", safeLines(line).c_str());
}

int refused(const std::string& message) {
    std::fprintf(stderr, "quarrow-extract: %s\n", safeLines(message).c_str());
    return refusedStatus;
}

// What must be there before any run starts.
std::optional<std::string> missingTool(const ExtractCommand& command) {
    for (const ExtractRun& run : command.runs) {
        std::error_code error;
        if (!fs::is_regular_file(run.programPath, error) || ::access(run.programPath.c_str(), X_OK) != 0) {
            const std::string name = programName(run.program);
            return name + " is not at " + run.programPath + ": build it (./setup.sh demo) or name it with --" + name +
                   " PATH or " + programVariable(run.program);
        }
    }
    std::error_code error;
    if (!fs::is_directory(command.parameters, error)) {
        return "the parameter folder " + command.parameters +
               " does not exist: name it with --parameters DIR or QUARROW_PARAMETERS";
    }
    return std::nullopt;
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
    if (!command.writeSettings.empty()) {
        if (const std::optional<FileFailure> failure = commitWholeFile(
                command.writeSettings, settingsHeader + settingRows(command.settings), "Function: quarrow-extract")) {
            return refused("cannot write " + command.writeSettings + ": " + std::strerror(failure->error));
        }
        show("settings written to " + command.writeSettings + "\n");
        return 0;
    }
    if (const std::optional<std::string> missing = missingTool(command)) return refused(*missing);
    RunFolderLocks locks;
    try {
        checkRunFolders(command);
        if (command.check) {
            std::string table = "run\tprogram\tpath\n";
            for (const ExtractRun& run : command.runs) {
                table += tsvField(run.name) + '\t' + programName(run.program) + '\t' + tsvField(run.dataFilename) + '\n';
            }
            std::fwrite(table.data(), 1, table.size(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        std::error_code error;
        fs::create_directories(command.outDir, error);
        if (error) return refused("cannot make " + command.outDir + ": " + error.message());
        locks = lockRunFolders(command);
    } catch (const CommandLineError& error) {
        return refused(error.what());
    }

    passStopSignalsOn();
    int status = 0;
    std::vector<TalliedRun> tally;
    for (const ExtractRun& run : command.runs) tally.push_back({run.folder, "not run"});
    // Run i's outcome, said and tallied.
    const auto settle = [&](std::size_t i, const RunRecord& record) {
        const ExtractRun& run = command.runs[i];
        const std::string word = outcomeWord(record);
        tally[i].outcome = word;
        if (word == "ok") {
            show(closingLine(run, record) + "\n");
        } else {
            warn(closingLine(run, record));
            const int runStatus = word == "stopped" ? 128 + record.outcome->signal
                                  : word == "failed" ? record.outcome->exitStatus
                                                     : 1;
            if (status == 0) status = runStatus;
        }
    };
    // An interrupt passed on to the programs stops the call, not only the
    // runs: those from `next` on are not started.
    const auto stopHere = [&](std::size_t next) {
        const int stop = stopSignalReceived();
        if (stop == 0) return false;
        status = 128 + stop;
        std::string rest;
        for (std::size_t j = next; j < command.runs.size(); ++j) rest += (rest.empty() ? "" : ", ") + command.runs[j].name;
        if (!rest.empty()) warn("stopped; not run: " + rest);
        return true;
    };
    const auto separate = [&](std::size_t i) {
        if (i > 0 && command.verbose) show("\n");
    };
    if (command.jobs == 1) {
        for (std::size_t i = 0; i < command.runs.size(); ++i) {
            separate(i);
            settle(i, extractRun(command.runs[i], command, show, warn));
            if (stopHere(i + 1)) break;
        }
    } else {
        ParallelRuns runs(command);
        std::size_t i = 0;
        for (; i < command.runs.size(); ++i) {
            const std::optional<ParallelRuns::Done> done = runs.await(i);
            if (!done) break;
            separate(i);
            for (const auto& [warning, text] : done->said) warning ? warn(text) : show(text);
            settle(i, done->record);
        }
        stopHere(i);
    }
    if (tally.size() > 1) show((command.verbose ? "\n" : "") + tallyText(tally));
    return status;
}
