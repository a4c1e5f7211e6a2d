// The reader's XML tokenizer against libxml2 on every seed of the xml_tokens
// fuzz target: legal documents read alike, damaged ones refused by both.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/fuzz/xml_tokens_compare.h"
#include "tests/fuzz/xml_tokens_events.h"

TEST(XmlTokens, CorpusReadAsLibxml2ReadsIt) {
    const std::filesystem::path corpus = std::filesystem::path(QUARROW_SOURCE_DIR) / "tests/fuzz/corpus/xml_tokens";
    std::vector<std::filesystem::path> documents;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) documents.push_back(entry.path());
    std::sort(documents.begin(), documents.end());
    std::size_t legal = 0, damaged = 0;
    for (const std::filesystem::path& path : documents) {
        SCOPED_TRACE(path.filename().string());
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const std::string text = bytes.str();
        ASSERT_TRUE(xmlComparable(text)) << "a seed libxml2 is not given";
        EXPECT_EQ(xmlTokensDisagreement(text, true), "");
        // The seeds named so are what they are named: then the tokenizer
        // must read or refuse them as well.
        const std::string name = path.filename().string();
        if (name.starts_with("damaged_")) {
            ++damaged;
            EXPECT_FALSE(libxmlReading(text)) << "libxml2 reads it";
        } else if (name.starts_with("legal_")) {
            ++legal;
            EXPECT_TRUE(libxmlReading(text)) << "libxml2 refuses it";
        }
    }
    EXPECT_GE(legal, 6U);
    EXPECT_GE(damaged, 18U);
}
