#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/extractor/extractor_parameters.h"
#include "core/util/cgi_query.h"

namespace {

const ExtractorParameters& readQuery(const std::vector<QueryEntry>& entries) {
    setExtractorParameterDefaults();
    readExtractorParameters(entries);
    return extractorParameters();
}

TEST(ExtractorParameters, QueryWithoutEntriesLeavesEveryDefault) {
    const ExtractorParameters& p = readQuery({});
    EXPECT_EQ(p.lowCharge, 4);
    EXPECT_EQ(p.highCharge, 4);
    EXPECT_FALSE(p.autoCharge.has_value());
    EXPECT_EQ(p.instrument_name, "");
    EXPECT_EQ(p.xtractorMode, "");
    EXPECT_EQ(p.maxCharge, 5);
    EXPECT_EQ(p.groupScans, 15);
    EXPECT_EQ(p.firstScan, 1);
    EXPECT_EQ(p.lastScan, 9999);
    EXPECT_EQ(p.lowParent, 500.0);
    EXPECT_EQ(p.highParent, 5000.0);
    EXPECT_EQ(p.parentTolerance, 0.5);
    EXPECT_EQ(p.fragmentTolerance, 0.7);
    EXPECT_EQ(p.minMatchedPercent, 47.0);
    EXPECT_EQ(p.parent_shift, 69.0);
    EXPECT_EQ(p.tolerance_units, 0);
    EXPECT_EQ(p.xtractorDataFilename, "");
    EXPECT_EQ(p.xtractorDataFilenameCopy, "");
    EXPECT_EQ(p.output_filename, "");
    EXPECT_EQ(p.resultsXtractorDir, "");
    EXPECT_EQ(p.logFileDir, "");
    EXPECT_EQ(p.queryDir, "");
    EXPECT_EQ(p.libraryDir, "");
    EXPECT_EQ(p.search_type, "");
    EXPECT_EQ(p.parent_shift_type, "");
    EXPECT_EQ(p.specFeaturesFilename, "");
    EXPECT_EQ(p.cys, "pyridylethylation");
    EXPECT_TRUE(p.libraryFiles.empty());
    EXPECT_TRUE(p.queryFiles.empty());
    EXPECT_EQ(p.noOutputSpectra, 0);
    EXPECT_EQ(p.maxSequenceTagLength, 0);
    EXPECT_EQ(p.peakLimitCount, 25);
    EXPECT_EQ(p.findMonoisotopicParent, 0);
    EXPECT_EQ(p.findAverageParent, 0);
    EXPECT_EQ(p.minMSsignalNoise, 50);
    EXPECT_EQ(p.minSignalNoiseRatio, 5);
}

TEST(ExtractorParameters, DefaultsComeBackAfterAnEarlierRead) {
    readQuery({{"lowCharge", "2"}, {"cys", "acrylamide"}, {"autoCharge", "Find"}});
    const ExtractorParameters& p = readQuery({});
    EXPECT_EQ(p.lowCharge, 4);
    EXPECT_EQ(p.cys, "pyridylethylation");
    EXPECT_FALSE(p.autoCharge.has_value());
}

struct IntegerKey {
    const char* key;
    std::function<std::int32_t(const ExtractorParameters&)> field;
};

TEST(ExtractorParameters, EveryIntegerKeyReadsItsField) {
    const std::vector<IntegerKey> keys = {
        {"lowCharge", [](const auto& p) { return p.lowCharge; }},
        {"highCharge", [](const auto& p) { return p.highCharge; }},
        {"maxCharge", [](const auto& p) { return p.maxCharge; }},
        {"minMSsignalNoise", [](const auto& p) { return p.minMSsignalNoise; }},
        {"groupScans", [](const auto& p) { return p.groupScans; }},
        {"firstScan", [](const auto& p) { return p.firstScan; }},
        {"lastScan", [](const auto& p) { return p.lastScan; }},
        {"noOutputSpectra", [](const auto& p) { return p.noOutputSpectra; }},
        {"maxSequenceTagLength", [](const auto& p) { return p.maxSequenceTagLength; }},
        {"findMonoisotopicParent", [](const auto& p) { return p.findMonoisotopicParent; }},
        {"findAverageParent", [](const auto& p) { return p.findAverageParent; }},
        {"minSignalNoiseRatio", [](const auto& p) { return p.minSignalNoiseRatio; }},
        {"peakLimitCount", [](const auto& p) { return p.peakLimitCount; }},
    };
    for (const IntegerKey& k : keys) {
        EXPECT_EQ(k.field(readQuery({{k.key, "37"}})), 37) << k.key;
        EXPECT_EQ(k.field(readQuery({{k.key, "  -12abc"}})), -12) << k.key;
        EXPECT_EQ(k.field(readQuery({{k.key, "x7"}})), 0) << k.key;
        EXPECT_EQ(k.field(readQuery({{k.key, ""}})), 0) << k.key;
        EXPECT_EQ(k.field(readQuery({{k.key, "3.9"}})), 3) << k.key;
    }
}

struct RealKey {
    const char* key;
    std::function<double(const ExtractorParameters&)> field;
};

TEST(ExtractorParameters, EveryRealKeyReadsItsField) {
    const std::vector<RealKey> keys = {
        {"lowParent", [](const auto& p) { return p.lowParent; }},
        {"highParent", [](const auto& p) { return p.highParent; }},
        {"parentTolerance", [](const auto& p) { return p.parentTolerance; }},
        {"fragmentTolerance", [](const auto& p) { return p.fragmentTolerance; }},
        {"minMatchedPercent", [](const auto& p) { return p.minMatchedPercent; }},
        {"parent_shift", [](const auto& p) { return p.parent_shift; }},
    };
    for (const RealKey& k : keys) {
        EXPECT_EQ(k.field(readQuery({{k.key, "350.5xyz"}})), 350.5) << k.key;
        EXPECT_EQ(k.field(readQuery({{k.key, "abc"}})), 0.0) << k.key;
        EXPECT_EQ(k.field(readQuery({{k.key, " -0.25"}})), -0.25) << k.key;
        EXPECT_EQ(k.field(readQuery({{k.key, "1.5e3"}})), 1500.0) << k.key;
    }
}

struct TextKey {
    const char* key;
    std::function<std::string(const ExtractorParameters&)> field;
};

TEST(ExtractorParameters, EveryTextKeyKeepsTheValueAsGiven) {
    const std::vector<TextKey> keys = {
        {"autoCharge", [](const auto& p) { return p.autoCharge.value_or("<absent>"); }},
        {"xtractorDataFilename", [](const auto& p) { return p.xtractorDataFilename; }},
        {"xtractorDataFilename", [](const auto& p) { return p.xtractorDataFilenameCopy; }},
        {"output_filename", [](const auto& p) { return p.output_filename; }},
        {"specFeaturesFilename", [](const auto& p) { return p.specFeaturesFilename; }},
        {"resultsXtractorDir", [](const auto& p) { return p.resultsXtractorDir; }},
        {"logFileDir", [](const auto& p) { return p.logFileDir; }},
        {"instrument_name", [](const auto& p) { return p.instrument_name; }},
        {"xtractorMode", [](const auto& p) { return p.xtractorMode; }},
        {"cys", [](const auto& p) { return p.cys; }},
        {"libraryDir", [](const auto& p) { return p.libraryDir; }},
        {"queryDir", [](const auto& p) { return p.queryDir; }},
        {"parent_shift_type", [](const auto& p) { return p.parent_shift_type; }},
        {"search_type", [](const auto& p) { return p.search_type; }},
    };
    const std::string value = " C:\\runs\\x y.d\\Analysis.yep ";
    for (const TextKey& k : keys) {
        EXPECT_EQ(k.field(readQuery({{k.key, value}})), value) << k.key;
        EXPECT_EQ(k.field(readQuery({{k.key, ""}})), "") << k.key;
    }
}

TEST(ExtractorParameters, ToleranceUnitsCodesCompareExactly) {
    EXPECT_EQ(readQuery({{"tolerance_units", "Da"}}).tolerance_units, 0);
    EXPECT_EQ(readQuery({{"tolerance_units", "ppm"}}).tolerance_units, 1);
    EXPECT_EQ(readQuery({{"tolerance_units", "mmu"}}).tolerance_units, 2);
    EXPECT_EQ(readQuery({{"tolerance_units", "%"}}).tolerance_units, 3);
    EXPECT_EQ(readQuery({{"tolerance_units", "DA"}}).tolerance_units, 4);
    EXPECT_EQ(readQuery({{"tolerance_units", "Da "}}).tolerance_units, 4);
    EXPECT_EQ(readQuery({{"tolerance_units", ""}}).tolerance_units, 4);
}

TEST(ExtractorParameters, LastOccurrenceOfAKeyWins) {
    EXPECT_EQ(readQuery({{"firstScan", "5"}, {"firstScan", "9"}}).firstScan, 9);
    EXPECT_EQ(readQuery({{"cys", "ICAT-mix"}, {"cys", "acrylamide"}}).cys, "acrylamide");
    EXPECT_EQ(readQuery({{"lowParent", "600"}, {"lowParent", "abc"}}).lowParent, 0.0);
    const ExtractorParameters& p = readQuery({{"libraryFiles", "a\nb\nc"}, {"libraryFiles", "d"}});
    EXPECT_EQ(p.libraryFiles, std::vector<std::string>{"d"});
}

TEST(ExtractorParameters, KeysAreCaseSensitiveAndUnknownKeysAreIgnored) {
    const ExtractorParameters& p = readQuery(
        {{"LowCharge", "1"}, {"lowcharge", "1"}, {"CYS", "acrylamide"}, {"lowCharge ", "1"}, {"bogus", "7"}, {"", "3"}});
    EXPECT_EQ(p.lowCharge, 4);
    EXPECT_EQ(p.cys, "pyridylethylation");
}

TEST(ExtractorParameters, ListKeysKeepTheirNonBlankLines) {
    const ExtractorParameters& p =
        readQuery({{"libraryFiles", "lib1.txt\r\n\r\n   \nlib2.txt\n"}, {"queryFiles", "q1\nq2\nq3"}});
    EXPECT_EQ(p.libraryFiles, (std::vector<std::string>{"lib1.txt", "lib2.txt"}));
    EXPECT_EQ(p.queryFiles, (std::vector<std::string>{"q1", "q2", "q3"}));
}

TEST(ExtractorParameters, ValuesArriveDecodedFromTheQueryText) {
    const ExtractorParameters& p = readQuery(
        parse_query_entry("lowParent=350.5xyz&cys=ICAT-mix&logFileDir=C%3A%5Clogs%5C&firstScan=5&firstScan=9&tolerance_units=DA"));
    EXPECT_EQ(p.lowParent, 350.5);
    EXPECT_EQ(p.cys, "ICAT-mix");
    EXPECT_EQ(p.logFileDir, "C:\\logs\\");
    EXPECT_EQ(p.firstScan, 9);
    EXPECT_EQ(p.tolerance_units, 4);
}

TEST(ExtractorParameters, MixtureIsNamedByTheLastFourCharacters) {
    EXPECT_TRUE((readQuery({{"cys", "ICAT-mix"}}), cysIsMixture()));
    EXPECT_TRUE((readQuery({{"cys", "cICAT-mix"}}), cysIsMixture()));
    EXPECT_TRUE((readQuery({{"cys", "-mix"}}), cysIsMixture()));
    EXPECT_FALSE((readQuery({{"cys", "ICAT-MIX"}}), cysIsMixture()));
    EXPECT_FALSE((readQuery({{"cys", "mix"}}), cysIsMixture()));
    EXPECT_FALSE((readQuery({{"cys", "ICAT-mixed"}}), cysIsMixture()));
    EXPECT_FALSE((readQuery({}), cysIsMixture()));
}

}  // namespace
