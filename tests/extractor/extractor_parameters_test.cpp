#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/chemistry/amino_acids.h"
#include "core/extractor/extractor_parameters.h"
#include "core/util/cgi_query.h"
#include "tests/support/query_context.h"

namespace {

ExtractorParameters readQuery(const std::vector<QueryEntry>& entries) { return readExtractorParameters(entries); }

TEST(ExtractorParameters, QueryWithoutEntriesLeavesEveryDefault) {
    const ExtractorParameters p = readQuery({});
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
    for (const std::string* text : {&p.xtractorDataFilename, &p.output_filename, &p.resultsXtractorDir, &p.logFileDir,
                                    &p.queryDir, &p.libraryDir, &p.search_type, &p.parent_shift_type,
                                    &p.specFeaturesFilename}) {
        EXPECT_EQ(*text, "");
    }
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
    EXPECT_EQ(p.chargeFromSurveyIsotopes, 0);
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
        {"chargeFromSurveyIsotopes", [](const auto& p) { return p.chargeFromSurveyIsotopes; }},
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
    const std::vector<std::pair<const char*, int>> cases = {{"Da", 0}, {"ppm", 1}, {"mmu", 2}, {"%", 3},
                                                            {"DA", 4}, {"Da ", 4}, {"", 4}};
    for (const auto& [units, code] : cases) EXPECT_EQ(readQuery({{"tolerance_units", units}}).tolerance_units, code) << units;
}

TEST(ExtractorParameters, LastOccurrenceOfAKeyWins) {
    EXPECT_EQ(readQuery({{"firstScan", "5"}, {"firstScan", "9"}}).firstScan, 9);
    EXPECT_EQ(readQuery({{"cys", "ICAT-mix"}, {"cys", "acrylamide"}}).cys, "acrylamide");
    EXPECT_EQ(readQuery({{"lowParent", "600"}, {"lowParent", "abc"}}).lowParent, 0.0);
    EXPECT_EQ(readQuery({{"libraryFiles", "a\nb\nc"}, {"libraryFiles", "d"}}).libraryFiles, std::vector<std::string>{"d"});
}

TEST(ExtractorParameters, KeysAreCaseSensitiveAndUnknownKeysAreIgnored) {
    const ExtractorParameters p = readQuery(
        {{"LowCharge", "1"}, {"lowcharge", "1"}, {"CYS", "acrylamide"}, {"lowCharge ", "1"}, {"bogus", "7"}, {"", "3"}});
    EXPECT_EQ(p.lowCharge, 4);
    EXPECT_EQ(p.cys, "pyridylethylation");
}

TEST(ExtractorParameters, ListKeysKeepTheirNonBlankLines) {
    const ExtractorParameters p =
        readQuery({{"libraryFiles", "lib1.txt\r\n\r\n   \nlib2.txt\n"}, {"queryFiles", "q1\nq2\nq3"}});
    EXPECT_EQ(p.libraryFiles, (std::vector<std::string>{"lib1.txt", "lib2.txt"}));
    EXPECT_EQ(p.queryFiles, (std::vector<std::string>{"q1", "q2", "q3"}));
}

TEST(ExtractionContext, PreparedFromTheQueryWithPickingSettingsAndChemistry) {
    const QueryContext run(
        "lowParent=350.5xyz&cys=iodoacetamide&logFileDir=C%3A%5Clogs%5C&firstScan=5&firstScan=9&tolerance_units=DA"
        "&minSignalNoiseRatio=7&peakLimitCount=40");
    const ExtractionContext& c = run.context;
    EXPECT_EQ(c.parameters.lowParent, 350.5);
    EXPECT_EQ(c.parameters.logFileDir, "C:\\logs\\");
    EXPECT_EQ(c.parameters.firstScan, 9);
    EXPECT_EQ(c.parameters.tolerance_units, 4);
    // Centroiding stays off until an instrument block asks for it.
    EXPECT_EQ(c.picking.peakBinningTolerance, 0.00001);
    EXPECT_EQ(c.picking.minSignalNoiseRatio, 7);
    EXPECT_EQ(c.picking.peakLimitCount, 40);
    EXPECT_EQ(c.picking.bypassDeIsotoping, 0);
    EXPECT_EQ(c.picking.bypassSignalNoiseThresholding, 0);
    const PeakPickSettings settings = c.peakPickSettings();
    EXPECT_EQ(settings.instrumentChargesCertain, 0);
    EXPECT_EQ(settings.minFragmentMass, 105.0);
    EXPECT_EQ(nominalResidueMass('C'), 160);  // carbamidomethyl cysteine
    EXPECT_EQ(&c.getRejectReasonsStream(), &run.logs.rejectReasons);
}

TEST(ExtractionContext, ContextsOfDifferentQueriesAreIndependent) {
    QueryContext first("lowParent=600&peakLimitCount=10&maxSequenceTagLength=1");
    QueryContext second("highParent=900&minSignalNoiseRatio=2");
    EXPECT_EQ(first.context.parameters.lowParent, 600.0);
    EXPECT_EQ(first.context.parameters.highParent, 5000.0);
    EXPECT_EQ(first.context.picking.peakLimitCount, 10);
    EXPECT_EQ(first.context.picking.minSignalNoiseRatio, 5);
    EXPECT_EQ(second.context.parameters.lowParent, 500.0);
    EXPECT_EQ(second.context.parameters.maxSequenceTagLength, 0);
    EXPECT_EQ(second.context.picking.peakLimitCount, 25);
    EXPECT_EQ(second.context.picking.minSignalNoiseRatio, 2);
    // Each writes to its own logs.
    first.context.getRejectReasonsStream().write("first");
    second.context.getRejectReasonsStream().write("second");
    EXPECT_EQ(first.logs.rejectReasons.text(), "first");
    EXPECT_EQ(second.logs.rejectReasons.text(), "second");
}

}  // namespace
