// The key table is what every front end and the README say of the keys: its
// defaults must pass its own ranges and choices, and the README must show it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "core/extractor/parameter_ranges.h"
#include "core/extractor/query_keys.h"
#include "tools/keys/key_listing.h"

namespace {

TEST(QueryKeys, DefaultsPassTheirOwnRangesAndChoices) {
    std::set<std::string> names;
    for (const QueryKey& key : queryKeys()) {
        EXPECT_TRUE(names.insert(key.name).second) << "twice: " << key.name;
        EXPECT_EQ(findQueryKey(key.name), &key);
        for (const char* value : {key.programDefault, key.frontEndDefault}) {
            if (value == nullptr) continue;
            const std::vector<QueryEntry> query = {{key.name, value}};
            EXPECT_EQ(findRangeViolation(query, readExtractorParameters(query)), std::nullopt) << key.name << "=" << value;
            if (key.choices.empty()) continue;
            EXPECT_TRUE(std::any_of(key.choices.begin(), key.choices.end(),
                                    [&](const KeyChoice& choice) { return std::string(choice.value) == value; }))
                << key.name << "=" << value << " is none of its choices";
        }
        if (key.range) {
            EXPECT_TRUE(key.type == KeyType::integer || key.type == KeyType::real) << key.name;
        }
    }
}

TEST(QueryKeys, ReadmeShowsTheTable) {
    std::ifstream file(QUARROW_SOURCE_DIR "/README.md");
    std::stringstream text;
    text << file.rdbuf();
    const std::string readme = text.str();
    const std::string begin = "<!-- query keys: made by quarrow-keys --markdown -->\n";
    const std::size_t from = readme.find(begin);
    const std::size_t to = readme.find("<!-- end of query keys -->");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    EXPECT_EQ(readme.substr(from + begin.size(), to - from - begin.size()), keysMarkdown())
        << "README.md: replace the tables between the markers with the output of build/tools/quarrow-keys --markdown";
}

}  // namespace
