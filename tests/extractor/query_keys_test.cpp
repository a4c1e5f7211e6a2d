// The key table is what every front end and the key reference say of the keys:
// its defaults must pass its own ranges and choices, and the reference must show it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "core/extractor/parameter_ranges.h"
#include "core/extractor/query_keys.h"
#include "frontend/key_listing.h"

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

// The settings a run's peak lists state: each key a stage of the program
// reads, with a value text that reads back as the same value.
TEST(QueryKeys, SettingsReadBackAsTheyWereSet) {
    const std::vector<QueryEntry> query = {{"parentTolerance", "0.1"}, {"lowParent", "-12"},
                                           {"tolerance_units", "ppm"},   {"cys", "a&b \"c\""},
                                           {"libraryFiles", "one\r\n\ntwo\n"}};
    const ExtractorParameters parameters = readExtractorParameters(query);
    for (const KeyPrograms program : {KeyPrograms::yepharvest, KeyPrograms::wiffharvest}) {
        const std::vector<std::pair<std::string, std::string>> settings = querySettings(parameters, program);
        std::set<std::string> named;
        for (const auto& [name, value] : settings) {
            const QueryKey& key = *findQueryKey(name);
            named.insert(name);
            EXPECT_FALSE(key.unused) << name;
            EXPECT_TRUE(key.programs == KeyPrograms::both || key.programs == program) << name;
            ExtractorParameters again;
            applyQueryValue(key, again, value);
            EXPECT_EQ(queryValueText(key, again), value) << name;
        }
        for (const QueryKey& key : queryKeys()) {
            const bool read = !key.unused && (key.programs == KeyPrograms::both || key.programs == program);
            const bool place = key.role == KeyRole::runData || key.role == KeyRole::folder ||
                               key.role == KeyRole::fileName || key.role == KeyRole::logFileName;
            EXPECT_EQ(named.count(key.name), read && !place ? 1u : 0u) << key.name;
        }
    }
    const auto value = [&](const char* name) { return queryValueText(*findQueryKey(name), parameters); };
    EXPECT_EQ(value("parentTolerance"), "0.1");
    EXPECT_EQ(value("lowParent"), "-12");
    EXPECT_EQ(value("cys"), "a&b \"c\"");
    // Keys no stage reads are stated by no run, but read back all the same.
    EXPECT_EQ(value("tolerance_units"), "ppm");
    EXPECT_EQ(value("libraryFiles"), "one\ntwo");
}

// Each window of the table bounds two numeric keys of one type; a window
// is inverted only when its lower end lies above its upper one, whichever
// of the two the query gives (the other is the programs' default), and the
// message names both values as given. The program defaults make a window.
TEST(QueryKeys, AnInvertedWindowIsFoundByTheTable) {
    for (const KeyOrder& order : keyOrders()) {
        const QueryKey* lower = findQueryKey(order.lower);
        const QueryKey* upper = findQueryKey(order.upper);
        ASSERT_TRUE(lower != nullptr && upper != nullptr) << order.lower << " " << order.upper;
        EXPECT_EQ(lower->type, upper->type) << order.lower;
        EXPECT_TRUE(lower->range && upper->range) << order.lower;
    }
    const std::string scans = "of the query key lastScan: no scan lies between them.\n";
    const std::vector<std::pair<std::vector<QueryEntry>, std::string>> cases = {
        {{}, ""},
        {{{"firstScan", "10"}, {"lastScan", "5"}}, "The value 10 of the query key firstScan is above the value 5 " + scans},
        {{{"firstScan", "5"}, {"lastScan", "5"}}, ""},
        {{{"firstScan", "6"}, {"lastScan", "5"}, {"firstScan", "5"}}, ""},
        {{{"firstScan", "10000"}}, "The value 10000 of the query key firstScan is above the value 9999 " + scans},
        {{{"lastScan", "0"}}, "The value 1 of the query key firstScan is above the value 0 " + scans},
        {{{"firstScan", "+7x"}, {"lastScan", "6"}}, "The value +7x of the query key firstScan is above the value 6 " + scans},
        {{{"lowParent", "5000.5"}},
         "The value 5000.5 of the query key lowParent is above the value 5000.0 of the query key highParent: no "
         "precursor M+H lies between them.\n"},
        {{{"lowParent", "700.25"}, {"highParent", "700.25"}}, ""},
    };
    for (const auto& [query, message] : cases) {
        EXPECT_EQ(findOrderViolation(query, readExtractorParameters(query)).value_or(""), message)
            << (query.empty() ? "" : query.front().name);
    }
}

// The front ends check, offer and set values by role: a role that disagrees
// with the row's type, choices or folder would make them refuse good values.
TEST(QueryKeys, RolesAgreeWithTheRows) {
    int runData = 0;
    for (const QueryKey& key : queryKeys()) {
        const bool numeric = key.type == KeyType::integer || key.type == KeyType::real;
        EXPECT_EQ(key.role == KeyRole::choice, !key.choices.empty()) << key.name;
        EXPECT_EQ(key.role == KeyRole::folder, key.frontEndFolder != nullptr) << key.name;
        EXPECT_TRUE(key.role == KeyRole::choice || (key.role == KeyRole::number) == numeric) << key.name;
        EXPECT_FALSE(setPerRun(key) && key.unused) << key.name;
        // The front ends find a key by the field it sets: no two keys may share one.
        EXPECT_STREQ(keyOfField(key.field).name, key.name);
        runData += key.role == KeyRole::runData ? 1 : 0;
    }
    EXPECT_EQ(runData, 1);
    EXPECT_EQ(std::string(keyOfRole(KeyRole::runData).name), "xtractorDataFilename");
    EXPECT_EQ(std::string(keyOfRole(KeyRole::logFileName).name), "specFeaturesFilename");
}

TEST(QueryKeys, ReferenceShowsTheTable) {
    std::ifstream file(QUARROW_SOURCE_DIR "/docs/query-keys.md");
    std::stringstream text;
    text << file.rdbuf();
    const std::string reference = text.str();
    const std::string begin = "<!-- query keys: made by quarrow-keys --markdown -->\n";
    const std::size_t from = reference.find(begin);
    const std::size_t to = reference.find("<!-- end of query keys -->");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    EXPECT_EQ(reference.substr(from + begin.size(), to - from - begin.size()), keysMarkdown())
        << "docs/query-keys.md: replace the tables between the markers with the output of build/tools/quarrow-keys --markdown";
}

// The help a front end prints offers every key a stage reads, names the ones
// it sets itself, and lists the others apart.
TEST(QueryKeys, HelpOffersWhatTheProgramsRead) {
    const std::string help = keysHelp("the tool", {"logFileDir"});
    const std::size_t apart = help.find("Accepted by the programs but not offered");
    ASSERT_NE(apart, std::string::npos);
    for (const QueryKey& key : queryKeys()) {
        const std::size_t option = help.find("\n  --" + std::string(key.name) + " ");
        if (key.unused) {
            EXPECT_EQ(option, std::string::npos) << key.name;
            EXPECT_NE(help.find(key.name, apart), std::string::npos) << key.name;
        } else if (key.name != std::string("logFileDir")) {
            EXPECT_LT(option, apart) << key.name;
            EXPECT_NE(help.find(std::string(key.help).substr(0, 20), option), std::string::npos) << key.name;
        }
    }
    EXPECT_NE(help.find("  logFileDir: Log folder, set by the tool."), std::string::npos);
    EXPECT_NE(help.find("Default: 999999999; the programs alone: 9999; range 0 - 2147483647."), std::string::npos);
    EXPECT_NE(help.find("Default: Find; the programs alone: absent; values: Find (Find each"), std::string::npos);
}

}  // namespace
