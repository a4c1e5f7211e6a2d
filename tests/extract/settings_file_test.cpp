// A settings file's lines: both forms, escapes, comments, a record's own
// rows left out; lines it cannot read refused with their file and line.
#include <gtest/gtest.h>

#include "frontend/extract_command.h"
#include "frontend/run_listing.h"
#include "frontend/settings_file.h"

namespace {

std::string listed(const std::vector<Setting>& settings) {
    std::string text;
    for (const Setting& setting : settings) text += setting.key + "=[" + setting.value + "]@" + setting.where + ";";
    return text;
}

TEST(SettingsFile, EachFormReadsToTheSameSettings) {
    struct Case {
        std::string text;
        std::string settings;
    };
    const std::vector<Case> cases = {
        {"cys\tICAT-mix\ngroupScans\t10\n", "cys=[ICAT-mix]@s line 1;groupScans=[10]@s line 2;"},
        {"cys = ICAT-mix\r\n  groupScans=10  \n", "cys=[ICAT-mix]@s line 1;groupScans=[10]@s line 2;"},
        {"# mine\n\ncys = \nlastScan\t\\x41b\\\\c\\t\n", "cys=[]@s line 3;lastScan=[Ab\\c\t]@s line 4;"},
        // A value with "=" in it; a third column is the source and not read.
        {"a = b=c\nd\te\tgiven\n", "a=[b=c]@s line 1;d=[e]@s line 2;"},
        // A record: its own fields and the run's own files are no settings.
        {"field\tvalue\tsource\nrun\tBSA2\t\nstart\t2026-01-01T00:00:00Z\t\nlogFileDir\t/o/BSA2/logs/\tset for the run\n"
         "cys\tICAT-mix\tgiven\nlowParent\t400\tprogram's default\n",
         "cys=[ICAT-mix]@s line 5;lowParent=[400]@s line 6;"},
        // The header counts only as the first line.
        {"x = 1\nfield\tvalue\tsource\n", "x=[1]@s line 1;field=[value]@s line 2;"},
    };
    for (const Case& c : cases) EXPECT_EQ(listed(parseSettings(c.text, "s")), c.settings) << c.text;
}

TEST(SettingsFile, LinesItCannotReadAreRefusedWithFileAndLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"cys = ICAT-mix\ngroupScans 10\n", "my.tsv line 2: neither KEY<TAB>VALUE nor KEY = VALUE"},
        {"= 10\n", "my.tsv line 1: no key before the value"},
        {"\n\ncys\tab\\q\n", "my.tsv line 3: the value of cys has a backslash that is none of \\\\, \\t, \\n, \\r, \\xHH"},
        {"cys\tab\\x4\n", "my.tsv line 1: the value of cys has a backslash that is none of \\\\, \\t, \\n, \\r, \\xHH"},
        {"cys\tab\\\n", "my.tsv line 1: the value of cys has a backslash that is none of \\\\, \\t, \\n, \\r, \\xHH"},
    };
    for (const auto& [text, message] : cases) {
        try {
            parseSettings(text, "my.tsv");
            ADD_FAILURE() << "taken: " << text;
        } catch (const CommandLineError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

// What a record writes, a settings file reads back, byte for byte.
TEST(SettingsFile, EveryByteComesBackThroughTheRows) {
    std::string every;
    for (int byte = 1; byte < 256; ++byte) every += static_cast<char>(byte);
    const std::vector<Setting> written = {{"a", every, "given"}, {"b", "", "program's default"}, {"c", " x ", "given"}};
    const std::vector<Setting> read = parseSettings(settingsHeader + settingRows(written), "f");
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].key, written[i].key);
        EXPECT_EQ(read[i].value, written[i].value) << i;
        EXPECT_EQ(read[i].source, written[i].source);
    }
}

}  // namespace
