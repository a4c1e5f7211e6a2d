// A request's outcome kept over the one there when no new file can be made
// (the full disk itself is faced through the server, tests/web/server_test.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "web/launcher/request_record.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RequestRecord, TheOutcomeWrittenOverTheOneThere) {
    RequestOutcome running;
    running.program = "yepharvest";
    running.status = "running";
    running.error = std::string(300, 'e');
    RequestOutcome failed = running;
    failed.status = "failed";
    failed.ended = "exit status 1";
    for (const std::string& error : {std::string("short\nwith a line break"), std::string(600, 'f')}) {
        SCOPED_TRACE(error.size());
        TempDir dir;
        ASSERT_FALSE(writeOutcome(dir.path(), running));
        failed.error = error;
        EXPECT_FALSE(overwriteOutcome(dir.path(), failed));
        const std::optional<RequestOutcome> read = readOutcome(dir.path());
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->status, "failed");
        EXPECT_EQ(read->ended, "exit status 1");
        EXPECT_EQ(read->error, error.size() == 600 ? error : "short with a line break");
        const std::string text = readWholeFile(dir.file("outcome.txt"));
        EXPECT_EQ(text.find("eee"), std::string::npos) << "nothing of the record before is left";
        EXPECT_EQ(text.back(), '\n');
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"outcome.txt"});
    }
}

}  // namespace
