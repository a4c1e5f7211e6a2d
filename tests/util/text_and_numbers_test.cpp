// Lenient number conversion, paths, extensions, blank tests and sorting.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/util/number_text.h"
#include "core/util/run_timer.h"
#include "core/util/text_path.h"

namespace {

TEST(Numbers, IntegersStopAtTheFirstOtherCharacter) {
    EXPECT_EQ(textToInteger("  42"), 42);
    EXPECT_EQ(textToInteger("-7x"), -7);
    EXPECT_EQ(textToInteger("+3"), 3);
    EXPECT_EQ(textToInteger("abc"), 0);
    EXPECT_EQ(textToInteger(""), 0);
    EXPECT_EQ(textToInteger("12.9"), 12);
    EXPECT_EQ(textToInteger("- 5"), 0);
    EXPECT_EQ(textToInteger("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(textToInteger("-99999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(Numbers, RealsTakeDecimalPointAndExponent) {
    EXPECT_DOUBLE_EQ(textToReal("350.5xyz"), 350.5);
    EXPECT_DOUBLE_EQ(textToReal("abc"), 0.0);
    EXPECT_DOUBLE_EQ(textToReal(" -1.5e2"), -150.0);
    EXPECT_DOUBLE_EQ(textToReal("2e"), 2.0);
    EXPECT_DOUBLE_EQ(textToReal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(textToReal("5."), 5.0);
    EXPECT_DOUBLE_EQ(textToReal("."), 0.0);
    EXPECT_DOUBLE_EQ(textToReal("0x10"), 0.0);
    EXPECT_DOUBLE_EQ(textToReal("inf"), 0.0);
    EXPECT_DOUBLE_EQ(textToReal("nan"), 0.0);
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

TEST(Sorting, EmptyListNeverCallsTheComparison) {
    std::vector<int> none;
    int calls = 0;
    sortRecords(none, [&](int a, int b) { ++calls; return a < b; });
    EXPECT_EQ(calls, 0);
    std::vector<int> some = {3, 1, 2};
    sortRecords(some, [](int a, int b) { return a < b; });
    EXPECT_EQ(some, (std::vector<int>{1, 2, 3}));
}

TEST(RunTimer, MeasuresWholeSeconds) {
    EXPECT_EQ(startRunTimer(), 1);
    EXPECT_EQ(stopRunTimer(), 1);
    const double elapsed = elapsedRunSeconds();
    EXPECT_GE(elapsed, 0.0);
    EXPECT_EQ(elapsed, std::floor(elapsed));
}

}  // namespace
