#pragma once
// The run generator's truth table for a folder run or an open-format
// export: per scan its MS level, and for a fragment scan the charge and
// monoisotopic m/z of what it fragmented.
#include <map>
#include <string>

#include "tests/support/work_folder.h"

struct TruthRow {
    int msLevel = 0;
    int charge = 0;
    double mz = 0.0;
};

// Scan number -> its row.
inline std::map<int, TruthRow> readRunTruth(const std::string& path) {
    std::map<int, TruthRow> rows;
    for (const std::string& line : splitText(readWholeFile(path))) {
        const std::vector<std::string> f = splitText(line, '\t');
        if (f.size() < 7 || f[0] == "index") continue;
        rows[std::stoi(f[1])] = {std::stoi(f[2]), std::stoi(f[5]), std::stod(f[6])};
    }
    return rows;
}
