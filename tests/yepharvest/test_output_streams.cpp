#include "tests/yepharvest/test_output_streams.h"

#include "core/extractor/output_files.h"

namespace {
std::FILE* rejects = nullptr;
std::FILE* runStats = nullptr;

std::string contents(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string text;
    char block[4096];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, stream)) > 0) text.append(block, got);
    std::fseek(stream, 0, SEEK_END);
    return text;
}
}  // namespace

std::FILE* getRejectReasonsStream() { return rejects; }
std::FILE* getRunStatsStream() { return runStats; }

void resetTestOutputStreams() {
    if (rejects != nullptr) std::fclose(rejects);
    if (runStats != nullptr) std::fclose(runStats);
    rejects = std::tmpfile();
    runStats = std::tmpfile();
}

std::string testRejectReasons() { return contents(rejects); }
std::string testRunStats() { return contents(runStats); }
