// Tab-separated parameter files and comment handling, on small files in a
// temporary folder.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "core/util/parameter_files.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string banner = "\nERROR MESSAGE\n-------------\n\n";

TEST(CommentStripping, WholeLineCommentsOnly) {
    std::string text = "#head\nkey 1\n  # not first\n#tail";
    EXPECT_EQ(stripCommentLines(text), 20u);
    EXPECT_EQ(text, "key 1\n  # not first\n");
}

TEST(CommentStripping, CommentsRunThroughTheirLineFeed) {
    std::string text = "#whole line\na\tb\n1\t2 # note\n3\t4\n";
    stripComments(text, '#', '\n');
    EXPECT_EQ(text, "a\tb\n1\t2 3\t4\n");
    std::string last = "x\n# no line feed";
    stripComments(last, '#', '\n');
    EXPECT_EQ(last, "x\n");
}

TEST(FileInfo, CountsRecordsAfterStripping) {
    TempDir dir;
    writeWholeFile(dir.file("instrument.txt"), "# >\nESI-ION-TRAP\r\nkey 1\r\n>\nB\n>\n");
    int records = -1;
    const std::string text = get_file_info(dir.file("instrument.txt"), '>', 1, 1, records);
    EXPECT_EQ(records, 2);
    EXPECT_EQ(text, "ESI-ION-TRAP\nkey 1\n>\nB\n>\n");
    const std::string unstripped = get_file_info(dir.file("instrument.txt"), '\n', 2, 0, records);
    EXPECT_EQ(records, 3);  // 6 line feeds / 2
    EXPECT_EQ(unstripped.rfind("# >", 0), 0u);
}

TEST(TsvTables, HeaderAndRows) {
    TempDir dir;
    writeWholeFile(dir.file("aa.tsv"),
                   "# residues\nAAname\tAAsymbol\tElementalComposition\nGlycine\tG\tC2 H3 N O\r\n"
                   "Alanine\tA\tC3 H5 N O # methyl\nextra\n");
    const TsvTable table = parseTSVfile(dir.file("aa.tsv"), 1);
    EXPECT_EQ(table.headerCount, 3);
    EXPECT_EQ(table.headers, (std::vector<std::string>{"AAname", "AAsymbol", "ElementalComposition"}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0], (std::vector<std::string>{"Glycine", "G", "C2 H3 N O"}));
    // The comment after a value joins its row to the next line.
    EXPECT_EQ(table.rows[1], (std::vector<std::string>{"Alanine", "A", "C3 H5 N O extra"}));
}

TEST(TsvTables, RowsKeptAndLost) {
    struct Case {
        const char* what;
        const char* content;
        std::vector<std::vector<std::string>> rows;
    };
    const std::vector<Case> cases = {
        {"last row without line feed is lost", "a\tb\n1\t2\n3\t4", {{"1", "2"}}},
        {"extra fields are ignored", "a\tb\n1\t2\t3\t4\n", {{"1", "2"}}},
        {"comments only", "# only\n# comments\n", {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        writeWholeFile(dir.file("t.tsv"), c.content);
        EXPECT_EQ(parseTSVfile(dir.file("t.tsv"), 1).rows, c.rows) << c.what;
    }
}

TEST(TsvTables, MissingFieldsEndTheProcess) {
    TempDir dir;
    const std::string path = dir.file("t.tsv");
    const std::string notify = "<P>Please notify the server administrator about this error message. ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        // An empty field shifts the next one left: one column short.
        {"a\tb\tc\n1\t\t3\n", "\nIn the file " + path + " there are not enough columns in line:\n<BR> 1\t\t3.\n" + notify},
        {"a\tb\n1\t2\n\n3\t4\n", "\nIn the file " + path + " there are not enough columns in line:\n<BR> (null).\n" + notify},
        // Text from the file goes into the error page escaped; the markup stays.
        {"a\tb\n<i>\n", "\nIn the file " + path + " there are not enough columns in line:\n<BR> &lt;i&gt;.\n" + notify},
    };
    for (const auto& [content, message] : cases) {
        writeWholeFile(path, content);
        const ChildResult r = runInChild([&] {
            errno = 0;
            parseTSVfile(path, 1);
        });
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.output, banner + message);
    }
}

TEST(HeaderCheck, PositionsFollowTheFileNotTheRequest) {
    const std::vector<std::string> headers = {"ElementalComposition", "AAname", "x", "AAsymbol", "AAname"};
    const std::vector<int> positions =
        checkParsedHeadersForExpectedHeaders("f", {"AAname", "AAsymbol", "ElementalComposition"}, headers);
    EXPECT_EQ(positions, (std::vector<int>{4, 3, 0}));
}

// Of several missing columns the first asked for is named.
TEST(HeaderCheck, FirstMissingColumnIsFatal) {
    const ChildResult r = runInChild([] {
        errno = 0;
        checkParsedHeadersForExpectedHeaders("msparams_quarrow/cysteines.tsv", {"cysteineName", "AAsymbol", "z"},
                                             {"AAsymbol"});
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, banner +
                            "\nIn the file msparams_quarrow/cysteines.tsv there is a column missing containing "
                            "information on:\n<BR> cysteineName.\n"
                            "<P>Please notify the server administrator about this error message. ");
}

}  // namespace
