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

// The run generator with these blank-separated options; it must succeed.
inline void runGenerator(const std::string& options) {
    const ChildResult generated = runProgram({RUNGEN_PATH, "", {}, "", splitText(options, ' ')});
    EXPECT_EQ(generated.exitStatus, 0) << generated.output;
}

// Every entry of a folder by name: the bytes of a file, "<folder>" for a folder.
inline std::map<std::string, std::string> folderContents(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        entries[entry.path().filename().string()] =
            entry.is_directory() ? std::string("<folder>") : readWholeFile(entry.path().string());
    }
    return entries;
}

class WorkFolder {
public:
    WorkFolder() {
        dir_.installParameterFiles();
        std::filesystem::create_directory(dir_.file("logs"));
        std::filesystem::create_directory(dir_.file("peaklists"));
    }

    void generate(const std::string& options) const { runGenerator(options); }

    // `program` on `dataFile` with logs and peak lists in this folder and
    // `query` after them.
    ChildResult extract(const std::string& program, const std::string& dataFile, const std::string& query) const {
        return start(program, {{"QUERY_STRING", "xtractorDataFilename=" + dataFile + "&logFileDir=" + file("logs/") +
                                                    "&resultsXtractorDir=" + file("peaklists/") + "&" + query}});
    }

    // `program` started in this folder with only this environment and body.
    ChildResult start(const std::string& program, const std::map<std::string, std::string>& environment,
                      const std::string& body = "") const {
        return runProgram({program, dir_.path(), environment, body, {}});
    }

    std::string file(const std::string& name) const { return dir_.file(name); }
    std::string log(const std::string& name) const { return readWholeFile(file("logs/" + name)); }
    // Every file in peaklists/ by name, with its bytes.
    std::map<std::string, std::string> peakLists() const { return folderContents(file("peaklists")); }

private:
    TempDir dir_;
};
