#pragma once
// Generated runs of both programs and the programs run on them as a web
// server runs them, for the tests of what the programs leave in their log
// and peak-list folders.
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace output_tests {

enum class Program { yepharvest, wiffharvest };

inline std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> pieces;
    std::stringstream stream(text);
    for (std::string word; stream >> word;) pieces.push_back(word);
    return pieces;
}

// Runs the generator with the options; fails the test when it fails.
inline void generateRun(const std::string& options) {
    ProgramRun generate;
    generate.program = RUNGEN_PATH;
    generate.arguments = words(options);
    const ChildResult generated = runProgram(generate);
    EXPECT_EQ(generated.exitStatus, 0) << generated.output;
}

// A generated run: the data file the query names and the program that reads it.
struct GeneratedRun {
    Program program;
    std::string dataFile;
};

// The program on the run, from `workingDirectory` (which holds the parameter
// folder), logs into `logs` and peak lists into `peaklists` (both with their
// trailing "/").
inline ProgramRun programRun(const GeneratedRun& run, const std::string& workingDirectory, const std::string& logs,
                             const std::string& peaklists, const std::string& moreQuery = "") {
    ProgramRun program;
    program.program = run.program == Program::yepharvest ? YEPHARVEST_PATH : WIFFHARVEST_PATH;
    program.workingDirectory = workingDirectory;
    program.environment = {{"QUERY_STRING", "xtractorDataFilename=" + run.dataFile + "&logFileDir=" + logs +
                                                "&resultsXtractorDir=" + peaklists +
                                                "&specFeaturesFilename=specFeatures.txt&lastScan=999999999" +
                                                moreQuery}};
    return program;
}

// Every entry of a folder by name: the content of a file, "<folder>" for a folder.
inline std::map<std::string, std::string> folderContents(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        entries[entry.path().filename().string()] =
            entry.is_directory() ? std::string("<folder>") : readWholeFile(entry.path().string());
    }
    return entries;
}

// The rows of a log after its header: the header ends without a line feed
// and every row starts with one.
inline std::vector<std::string> logRows(const std::string& text) {
    std::vector<std::string> rows;
    std::size_t at = text.find('\n');
    while (at != std::string::npos) {
        const std::size_t next = text.find('\n', at + 1);
        rows.push_back(text.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
        at = next;
    }
    return rows;
}

inline std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace output_tests
