#pragma once
// An MGF file read back against the .pkl files of the same run: one block
// per peak list, in file-name order here, each with the .pkl's header values
// and exactly its peak lines.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/work_folder.h"

inline void expectMgfMatchesPeakLists(const std::string& mgf, const std::map<std::string, std::string>& peakLists) {
    std::map<std::string, std::string> blocks;  // title -> block text
    std::size_t at = 0;
    while ((at = mgf.find("BEGIN IONS\n", at)) != std::string::npos) {
        const std::size_t end = mgf.find("\nEND IONS\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string block = mgf.substr(at, end - at);
        const std::size_t title = block.find("TITLE=") + 6;
        blocks[block.substr(title, block.find('\n', title) - title)] = block;
        at = end;
    }
    ASSERT_EQ(blocks.size(), peakLists.size());
    for (const auto& [name, pkl] : peakLists) {
        const std::string title = name.substr(0, name.size() - 4);
        ASSERT_EQ(blocks.count(title), 1u) << title;
        const std::string& block = blocks.at(title);
        const std::vector<std::string> header = splitText(pkl.substr(0, pkl.find('\n')), '\t');
        ASSERT_EQ(header.size(), 3u) << title;
        const std::string& charge = header[2];
        EXPECT_NE(block.find("\nPEPMASS=" + header[0] + " " + header[1] + "\n"), std::string::npos) << title;
        EXPECT_EQ(block.find("\nCHARGE="), charge == "0" ? std::string::npos : block.find("\nCHARGE=" + charge + "+\n"))
            << title;
        // The peak lines are the .pkl's lines, each after its own line feed.
        EXPECT_EQ(block.substr(block.size() - (pkl.size() - pkl.find('\n'))), pkl.substr(pkl.find('\n'))) << title;
    }
}
