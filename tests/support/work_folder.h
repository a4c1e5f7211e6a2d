#pragma once
// A working folder as a web server gives the programs one: the shipped
// parameter files, logs/ and peaklists/, a run generated into it, the
// program started in it, and its files read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

inline std::vector<std::string> splitText(const std::string& text, char separator = '\n') {
    std::vector<std::string> pieces;
    std::stringstream stream(text);
    for (std::string piece; std::getline(stream, piece, separator);) pieces.push_back(piece);
    return pieces;
}

// "name\tnumber" lines, summed per name (a .wiff run writes one block per sample).
inline std::map<std::string, int> counters(const std::string& text) {
    std::map<std::string, int> values;
    for (const std::string& line : splitText(text)) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos) values[line.substr(0, tab)] += std::atoi(line.c_str() + tab + 1);
    }
    return values;
}

class WorkFolder {
public:
    WorkFolder() {
        dir_.installParameterFiles();
        std::filesystem::create_directory(dir_.file("logs"));
        std::filesystem::create_directory(dir_.file("peaklists"));
    }

    // The run generator with these blank-separated options; it must succeed.
    void generate(const std::string& options) const {
        ProgramRun run{RUNGEN_PATH, "", {}, "", splitText(options, ' ')};
        const ChildResult generated = runProgram(run);
        EXPECT_EQ(generated.exitStatus, 0) << generated.output;
    }

    // `program` on `dataFile` with logs and peak lists in this folder and
    // `query` after them.
    ChildResult extract(const std::string& program, const std::string& dataFile, const std::string& query) const {
        return runProgram({program, dir_.path(),
                           {{"QUERY_STRING", "xtractorDataFilename=" + dataFile + "&logFileDir=" + file("logs/") +
                                                 "&resultsXtractorDir=" + file("peaklists/") + "&" + query}},
                           "", {}});
    }

    std::string file(const std::string& name) const { return dir_.file(name); }
    std::string log(const std::string& name) const { return readWholeFile(file("logs/" + name)); }
    // Every file in peaklists/ by name, with its bytes.
    std::map<std::string, std::string> peakLists() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(file("peaklists"))) {
            files[entry.path().filename().string()] = readWholeFile(entry.path().string());
        }
        return files;
    }

private:
    TempDir dir_;
};
