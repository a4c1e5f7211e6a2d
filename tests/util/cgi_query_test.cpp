// Query texts in, decoded entries out; the request source chosen as a web
// server sets the environment.
#include <gtest/gtest.h>

#include <cstdio>
#include <cerrno>
#include <cstdlib>

#include <unistd.h>

#include "core/util/cgi_query.h"
#include "tests/support/child_process.h"

namespace {

using Entries = std::vector<QueryEntry>;

std::string listed(const Entries& entries) {
    std::string text;
    for (const QueryEntry& entry : entries) text += "[" + entry.name + "]=[" + entry.value + "]";
    return text;
}

TEST(QueryParsing, DecodingSplittingAndEmptyEntries) {
    struct Case {
        const char* text;
        std::string entries;
    };
    const std::vector<Case> cases = {
        // The separator is whichever of "&" and ";" comes first.
        {"a=1&b=2;c=3", "[a]=[1][b]=[2;c=3]"},
        {"a=1;b=2&c=3", "[a]=[1][b]=[2&c=3]"},
        // Plus signs and escapes are decoded before the split.
        {"x=a+b%2Bc", "[x]=[a b+c]"},
        {"a%3Db=c", "[a]=[b=c]"},
        {"k=%41%4a%4A", "[k]=[AJJ]"},
        {"k=%zz", "[k]=[S]"},  // 0x53: no digit is invalid
        {"d=C%3A%5Cruns%5Cs7.d%5CAnalysis.yep", "[d]=[C:\\runs\\s7.d\\Analysis.yep]"},
        // Entries without value or name.
        {"flag", "[flag]=[]"},
        {"flag=", "[flag]=[]"},
        {"a=1&&b=2", "[a]=[1][]=[][b]=[2]"},
        {"a=1&", "[a]=[1]"},
        {"&a=1", "[]=[][a]=[1]"},
        {"", ""},
        {"a=b=c", "[a]=[b=c]"},
        // An incomplete escape at the end stays within the text.
        {"a=1%", "[a]=[1%]"},
        {"a=1%4", "[a]=[1%4]"},
        {"a=%41%4", "[a]=[A%4]"},
        // A decoded NUL ends the entry's text.
        {"ab%00cd=1&e=2", "[ab]=[][e]=[2]"},
    };
    for (const Case& c : cases) EXPECT_EQ(listed(parse_query_entry(c.text)), c.entries) << c.text;
}

// Whatever a front end puts into a value, the programs read back as it was.
TEST(QueryParsing, EncodedEntriesReadBackAsTheyWere) {
    const Entries entries = {{"xtractorDataFilename", "/runs/a b+c&d=e;f%41/\xC3\xA9.wiff"},
                             {"cys", ""},
                             {"k;1", "x\ny\r\t#?"}};
    const std::string text = formatQueryString(entries);
    EXPECT_EQ(listed(parse_query_entry(text)), listed(entries));
    EXPECT_EQ(text.find_first_of(" +;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("/runs/a%20b%2Bc%26d%3De%3Bf%2541/%C3%A9.wiff"), std::string::npos) << text;
}

TEST(QueryParsing, ManyEntriesKeepTheirOrder) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "&";
    const Entries entries = parse_query_entry(text);
    ASSERT_EQ(entries.size(), 300u);
    EXPECT_EQ(entries[299].name, "k299");
    EXPECT_EQ(entries[128].value, "128");
}

// The source is chosen from the environment: run each case in a child so
// that the variables and standard input are its own.
ChildResult queryWith(const char* queryString, const char* contentLength, const std::string& body) {
    return runInChild([&] {
        ::unsetenv("QUERY_STRING");
        ::unsetenv("CONTENT_LENGTH");
        if (queryString != nullptr) ::setenv("QUERY_STRING", queryString, 1);
        if (contentLength != nullptr) ::setenv("CONTENT_LENGTH", contentLength, 1);
        std::FILE* in = std::tmpfile();
        std::fwrite(body.data(), 1, body.size(), in);
        std::rewind(in);
        ::dup2(::fileno(in), 0);
        errno = 0;
        for (const QueryEntry& entry : query()) std::printf("[%s]=[%s]\n", entry.name.c_str(), entry.value.c_str());
    });
}

TEST(QuerySource, ChoiceOfSourceAndLengthOfTheBody) {
    struct Case {
        const char* queryString;
        const char* contentLength;
        const char* body;
        int exitStatus;
        std::string output;
    };
    const std::vector<Case> cases = {
        {"a=1", "7", "b=2&c=3", 0, "[a]=[1]\n"},  // a non-empty query string wins
        {"", "25", "lowParent=600&cys=ICAT-mix and more", 0, "[lowParent]=[600]\n[cys]=[ICAT-mi]\n"},
        {nullptr, "2000000000", "a=1", 0, "[a]=[1]\n"},  // a short body gives what arrived
        {nullptr, "0", "a=1", 0, ""},
        {nullptr, "abc", "a=1", 0, ""},
        {nullptr, "  2x", "a=1", 0, "[a]=[]\n"},
        {nullptr, "-5", "a=1", 1,
         "\nERROR MESSAGE\n-------------\n\nMemory allocation (malloc) failure (size = -4).\nFunction: read_query_string\n"},
        {nullptr, nullptr, "", 1,
         "\nERROR MESSAGE\n-------------\n\nNeither of the environment variables QUERY_STRING or CONTENT_LENGTH has been "
         "defined.\nFunction: query.\n"},
        {"", "", "", 1, "\nERROR MESSAGE\n-------------\n\nNeither of the environment variables QUERY_STRING or "
                        "CONTENT_LENGTH has been defined.\nFunction: query.\n"},
    };
    for (const Case& c : cases) {
        const ChildResult r = queryWith(c.queryString, c.contentLength, c.body);
        EXPECT_EQ(r.exitStatus, c.exitStatus) << (c.contentLength ? c.contentLength : "no CONTENT_LENGTH");
        EXPECT_EQ(r.output, c.output) << (c.contentLength ? c.contentLength : "no CONTENT_LENGTH");
    }
}

}  // namespace
