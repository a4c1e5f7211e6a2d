// Lenient number conversion, paths, extensions and blank tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "core/util/number_text.h"
#include "core/util/text_path.h"

namespace {

TEST(Numbers, IntegersStopAtTheFirstOtherCharacter) {
    const std::vector<std::pair<const char*, std::int32_t>> cases = {
        {"  42", 42}, {"-7x", -7}, {"+3", 3}, {"abc", 0}, {"", 0}, {"12.9", 12}, {"- 5", 0},
        {"99999999999", std::numeric_limits<std::int32_t>::max()},
        {"-99999999999", std::numeric_limits<std::int32_t>::min()},
        // 2^64 + 1: a 64-bit accumulator that kept every digit would read 1.
        {"18446744073709551617", std::numeric_limits<std::int32_t>::max()},
        {"-18446744073709551617", std::numeric_limits<std::int32_t>::min()},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(textToInteger(text), value) << text;
}

TEST(Numbers, RealsTakeDecimalPointAndExponent) {
    const std::vector<std::pair<const char*, double>> cases = {
        {"350.5xyz", 350.5}, {"abc", 0.0}, {" -1.5e2", -150.0}, {"2e", 2.0}, {".5", 0.5},
        {"5.", 5.0},         {".", 0.0},   {"0x10", 0.0},       {"inf", 0.0}, {"nan", 0.0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(textToReal(text), value) << text;
}

TEST(Paths, RunFolderOfADataFile) {
    EXPECT_EQ(gen_path_from_filename("D:\\runs\\sample7.d\\Analysis.yep"), "D:\\runs\\sample7.d\\");
    EXPECT_EQ(gen_path_from_filename("/data/runs/sample7.d/Analysis.yep"), "/data/runs/sample7.d/");
    EXPECT_EQ(gen_path_from_filename("D:\\mixed/x.d\\Analysis.yep"), "D:\\mixed/x.d\\");
    EXPECT_EQ(gen_path_from_filename("Analysis.yep"), "Analysis.yep");
    EXPECT_EQ(gen_path_from_filename(""), "");
}

TEST(Paths, ExtensionAfterTheLastDot) {
    EXPECT_EQ(fileExtension("lysate3.wiff"), "wiff");
    EXPECT_EQ(fileExtension("a.b.c"), "c");
    EXPECT_EQ(fileExtension("name."), "");
    EXPECT_EQ(fileExtension("wiff"), "wiff");
    EXPECT_EQ(fileExtension(""), "");
}

TEST(Blanks, OnlyBlanksTabsAndLineEnds) {
    EXPECT_EQ(isWhitespaceOnly(""), 1);
    EXPECT_EQ(isWhitespaceOnly(" \t\r\n"), 1);
    EXPECT_EQ(isWhitespaceOnly(" x "), 0);
    EXPECT_EQ(isWhitespaceOnly("\v"), 0);
}

TEST(Paths, PlainFileNameWithoutFolders) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"specFeatures.txt", true}, {"run 1.txt", true}, {"..x", true},      {"", false},
        {".", false},               {"..", false},       {"../x.txt", false}, {"logs/x.txt", false},
        {"/x.txt", false},          {"a\\b.txt", false}, {"x.txt\n", false},  {std::string("a\x7f"), false},
    };
    for (const auto& [name, plain] : cases) EXPECT_EQ(isPlainFileName(name), plain) << name;
}

}  // namespace
