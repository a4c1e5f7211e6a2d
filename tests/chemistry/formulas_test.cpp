#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/chemistry/elements.h"
#include "tests/chemistry/chemistry_test_support.h"

namespace {

// Round masses so that every sum below is exact in binary.
const char* const kElements =
    "# test table: symbol, number, isotopes, then mass and abundance of each\n"
    "H 1 1 1.0 1.0\n"
    "C 6 2 12.0 0.99 13.0 0.01\n"
    "N 7 1 14.0 1.0\n"
    "O 8 1 16.0 1.0\n"
    "Xq 0 2 10.0 0.75 11.0 0.25\n";

class FormulaTest : public ::testing::Test {
protected:
    // Runs `body` against the given element file; the child must succeed.
    std::string run(const std::function<void()>& body, const std::string& elements = kElements) {
        folder.replace("elements.txt", elements);
        const ChildResult result = runInFolder(folder.path(), body);
        EXPECT_EQ(result.exitStatus, 0) << result.output;
        return result.output;
    }
    ChildResult runFailing(const std::string& elements, const std::function<void()>& body) {
        folder.replace("elements.txt", elements);
        return runInFolder(folder.path(), body);
    }
    static void printMass(const char* formula) { std::printf("%s=%.6f\n", formula, formulaMonoisotopicMass(formula)); }
    static void printMultipliers(const char* formula) {
        std::printf("%s:", formula);
        for (const int count : formula_to_multiplier_list(formula)) std::printf(" %d", count);
        std::printf("\n");
    }
    ParameterFolder folder;
};

TEST_F(FormulaTest, MultiplierListCountsEachElementInTableOrder) {
    EXPECT_EQ(run([] {
                  printMultipliers("C O N H3");
                  printMultipliers("C6 C6");
                  printMultipliers("H2 O ");
                  printMultipliers("C2 H-1");
                  printMultipliers("Xq3 H");
              }),
              "C O N H3: 3 1 1 1 0\n"
              "C6 C6: 0 6 0 0 0\n"
              "H2 O : 2 0 0 1 0\n"
              "C2 H-1: -1 2 0 0 0\n"
              "Xq3 H: 1 0 0 0 3\n");
}

TEST_F(FormulaTest, MassIsTheSumOverTheTableOfTheMonoisotopicMasses) {
    EXPECT_EQ(run([] {
                  printMass("C2 H3 N O");
                  printMass("C6 C6");     // a repeated element replaces, it does not add
                  printMass("H2 O ");     // a trailing space ends the formula quietly
                  printMass("Xq2");       // the first isotope on the line is the monoisotopic one
                  printMass("C2 H-2");
                  printMass("0");         // the empty side chain
                  printMass("");
                  printMass("H2,O2");     // parsing ends at the first token not followed by a space
                  printMass("C  O");      // an empty token between two spaces is skipped
              }),
              "C2 H3 N O=57.000000\n"
              "C6 C6=72.000000\n"
              "H2 O =18.000000\n"
              "Xq2=20.000000\n"
              "C2 H-2=22.000000\n"
              "0=0.000000\n"
              "=0.000000\n"
              "H2,O2=2.000000\n"
              "C  O=28.000000\n");
}

TEST_F(FormulaTest, LastLineWithoutLineFeedStillDefinesItsElementAndCrLfIsRead) {
    EXPECT_EQ(run([] { printMass("H2 O"); }, "H 1 1 1.0 1.0\r\nO 8 1 16.0 1.0"), "H2 O=18.000000\n");
}

TEST_F(FormulaTest, BlankLineInElementFileIsRejectedWithItsLineNumber) {
    const ChildResult result = runFailing("# comment\nH 1 1 1.0 1.0\n\nO 8 1 16.0 1.0\n", [] { formulaMonoisotopicMass("H"); });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.output, fatalBanner("\nLine 3 of the file msparams_quarrow/elements.txt is empty: every line must "
                                         "define one element.\n<P>Please notify the server administrator about this "
                                         "error message. "));
}

TEST_F(FormulaTest, MalformedElementLinesAreRejectedWithTheLine) {
    const std::string message =
        "\nLine 2 of the file msparams_quarrow/elements.txt is not a valid element definition (symbol, number, "
        "isotope count, then a mass and an abundance for each isotope):\n<BR> %s.\n<P>Please notify the server "
        "administrator about this error message. ";
    for (const std::string line : {"C 6 2 12.0 0.99", "C 6 1 12.0 0.99 13.0", "C 6 1 twelve 1.0", "C 6 0",
                                   "C1 6 1 12.0 1.0", "C six 1 12.0 1.0", "C 6 1 12.0 1.0x", "  "}) {
        const ChildResult result = runFailing("H 1 1 1.0 1.0\n" + line + "\nO 8 1 16.0 1.0\n", [] { elementTable(); });
        EXPECT_EQ(result.exitStatus, 1) << line;
        if (line == "  ") {
            EXPECT_NE(result.output.find("Line 2 of the file msparams_quarrow/elements.txt is empty"), std::string::npos);
        } else {
            const std::size_t at = message.find("%s");
            EXPECT_EQ(result.output, fatalBanner(message.substr(0, at) + line + message.substr(at + 2))) << line;
        }
    }
}

TEST_F(FormulaTest, MissingElementFileEndsWithTheFileOpenMessage) {
    ::unlink((folder.path() + "/msparams_quarrow/elements.txt").c_str());
    const ChildResult result = runInFolder(folder.path(), [] { formulaMonoisotopicMass("H"); });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.output, fatalBanner("File open (fopen) failure.\nFunction name: get_file_info.\nFilename = "
                                         "msparams_quarrow/elements.txt.\n\nSystem error message: No such file or "
                                         "directory.\n"));
}

}  // namespace
