#pragma once
// An MGF file read back line by line against the .pkl files of the same run:
// one block per peak list, each with the .pkl's values and its peaks (five
// decimals of m/z that round to the .pkl's, the .pkl's intensities), and,
// where the test knows them, the values the program computed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "core/util/format_text.h"
#include "tests/support/work_folder.h"

// What the program computed for one peak list, where the test knows it.
struct MgfExpectation {
    double precursorMz = 0.0;
    int firstScan = 0;
    std::optional<double> retentionSeconds;  // RTINSECONDS is left out without one
    std::optional<bool> chargeStated;        // whether a CHARGE line belongs, where known
};
using MgfExpectations = std::function<std::optional<MgfExpectation>(const std::string& title)>;

inline void expectMgfMatchesPeakLists(const std::string& mgf, const std::map<std::string, std::string>& peakLists,
                                      const MgfExpectations& expected = {}) {
    std::map<std::string, std::vector<std::string>> blocks;  // title -> its lines
    std::vector<std::string> lines = splitText(mgf);
    for (std::size_t i = 0; i < lines.size();) {
        ASSERT_EQ(lines[i], "BEGIN IONS") << "line " << i + 1;
        std::vector<std::string> block;
        for (++i; i < lines.size() && lines[i] != "END IONS"; ++i) block.push_back(lines[i]);
        ASSERT_LT(i++, lines.size()) << "a block without END IONS";
        ASSERT_FALSE(block.empty());
        ASSERT_EQ(block[0].rfind("TITLE=", 0), 0u) << block[0];
        blocks[block[0].substr(6)] = block;
    }
    ASSERT_EQ(blocks.size(), peakLists.size());
    const std::regex pepmass(R"(PEPMASS=(\d+\.\d{5}) (\d+))");
    const std::regex scans(R"(SCANS=(\d+)-(\d+))");
    const std::regex time(R"(RTINSECONDS=\d+\.\d{3})");
    for (const auto& [name, pkl] : peakLists) {
        const std::string title = name.substr(0, name.size() - 4);
        ASSERT_EQ(blocks.count(title), 1u) << title;
        std::vector<std::string> block = blocks.at(title);
        const std::vector<std::string> header = splitText(pkl.substr(0, pkl.find('\n')), '\t');
        ASSERT_EQ(header.size(), 3u) << title;
        std::size_t line = 1;
        std::smatch m;
        ASSERT_TRUE(std::regex_match(block[line], m, pepmass)) << title << ": " << block[line];
        const double mz = std::atof(m[1].str().c_str());
        EXPECT_EQ(formatText("%.2f", mz), header[0]) << title;
        EXPECT_EQ(m[2].str(), header[1]) << title;
        ++line;
        // The .pkl's charge, where the MGF states one: it states only
        // established charges.
        const bool stated = block[line].rfind("CHARGE=", 0) == 0;
        if (stated) {
            EXPECT_NE(header[2], "0") << title;
            EXPECT_EQ(block[line++], "CHARGE=" + header[2] + "+") << title;
        }
        ASSERT_TRUE(std::regex_match(block[line], m, scans)) << title << ": " << block[line];
        const int first = std::atoi(m[1].str().c_str());
        // The title ends in "<last scan>.<charge>".
        const std::vector<std::string> parts = splitText(title, '.');
        EXPECT_EQ(std::atoi(m[2].str().c_str()), std::atoi(parts[parts.size() - 2].c_str())) << title;
        ++line;
        const bool timed = line < block.size() && block[line].rfind("RTINSECONDS=", 0) == 0;
        if (timed) {
            EXPECT_TRUE(std::regex_match(block[line], time)) << title << ": " << block[line];
        }
        if (const std::optional<MgfExpectation> e = expected ? expected(title) : std::nullopt) {
            EXPECT_LE(std::fabs(mz - e->precursorMz), 0.5e-5) << title;
            EXPECT_EQ(first, e->firstScan) << title;
            if (e->chargeStated) {
                EXPECT_EQ(stated, *e->chargeStated) << title;
            }
            EXPECT_EQ(timed ? block[line] : "", e->retentionSeconds
                                                    ? formatText("RTINSECONDS=%.3f", *e->retentionSeconds)
                                                    : std::string())
                << title;
        }
        if (timed) ++line;
        // Then the .pkl's peaks, one line each, at the MGF's precision.
        const std::vector<std::string> pklLines = splitText(pkl.substr(pkl.find('\n') + 1));
        ASSERT_EQ(block.size() - line, pkl.find('\n') == std::string::npos ? 0 : pklLines.size()) << title;
        const std::regex peak(R"((\d+\.\d{5})\t(\d+))");
        for (std::size_t p = 0; line < block.size(); ++line, ++p) {
            ASSERT_TRUE(std::regex_match(block[line], m, peak)) << title << ": " << block[line];
            const std::vector<std::string> rounded = splitText(pklLines[p], '\t');
            ASSERT_EQ(rounded.size(), 2u) << title;
            const std::size_t decimals = rounded[0].size() - rounded[0].find('.') - 1;
            EXPECT_LE(std::fabs(std::atof(m[1].str().c_str()) - std::atof(rounded[0].c_str())),
                      0.5 * std::pow(10.0, -static_cast<double>(decimals)) + 0.5e-5)
                << title << ": " << block[line] << " / " << pklLines[p];
            EXPECT_EQ(m[2].str(), rounded[1]) << title;
        }
    }
}
