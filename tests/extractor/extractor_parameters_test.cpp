// The query keys the programs act on: defaults, lenient numbers, texts kept
// as given. Keys that are read but never used (library and query files,
// tolerance units, ...) are left out: no output depends on them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/chemistry/amino_acids.h"
#include "core/extractor/extractor_parameters.h"
#include "core/extractor/query_keys.h"
#include "core/util/cgi_query.h"
#include "tests/support/query_context.h"

namespace {

ExtractorParameters readQuery(const std::vector<QueryEntry>& entries) { return readExtractorParameters(entries); }

struct NumberKey {
    const char* key;
    std::function<double(const ExtractorParameters&)> field;
    double byDefault;
};

// Each key reads its own field, an integer up to the first other character
// and a real as strtod does; an absent key keeps its default.
TEST(ExtractorParameters, EveryNumberKeyReadsItsFieldLeniently) {
    const std::vector<NumberKey> integers = {
        {"lowCharge", [](const auto& p) { return p.lowCharge; }, 4},
        {"highCharge", [](const auto& p) { return p.highCharge; }, 4},
        {"maxCharge", [](const auto& p) { return p.maxCharge; }, 5},
        {"minMSsignalNoise", [](const auto& p) { return p.minMSsignalNoise; }, 50},
        {"groupScans", [](const auto& p) { return p.groupScans; }, 15},
        {"firstScan", [](const auto& p) { return p.firstScan; }, 1},
        {"lastScan", [](const auto& p) { return p.lastScan; }, 9999},
        {"maxSequenceTagLength", [](const auto& p) { return p.maxSequenceTagLength; }, 0},
        {"findMonoisotopicParent", [](const auto& p) { return p.findMonoisotopicParent; }, 0},
        {"minSignalNoiseRatio", [](const auto& p) { return p.minSignalNoiseRatio; }, 5},
        {"peakLimitCount", [](const auto& p) { return p.peakLimitCount; }, 25},
        {"chargeFromSurveyIsotopes", [](const auto& p) { return p.chargeFromSurveyIsotopes; }, 0},
    };
    const std::vector<NumberKey> reals = {
        {"lowParent", [](const auto& p) { return p.lowParent; }, 500.0},
        {"highParent", [](const auto& p) { return p.highParent; }, 5000.0},
        {"parentTolerance", [](const auto& p) { return p.parentTolerance; }, 0.5},
    };
    const std::vector<std::pair<std::string, double>> integerTexts = {{"37", 37}, {"  -12abc", -12}, {"x7", 0}, {"", 0}, {"3.9", 3}};
    const std::vector<std::pair<std::string, double>> realTexts = {{"350.5xyz", 350.5}, {"abc", 0}, {" -0.25", -0.25}, {"1.5e3", 1500}};
    for (const auto& [keys, texts] : {std::pair{&integers, &integerTexts}, std::pair{&reals, &realTexts}}) {
        for (const NumberKey& k : *keys) {
            EXPECT_EQ(k.field(readQuery({})), k.byDefault) << k.key;
            for (const auto& [text, value] : *texts) EXPECT_EQ(k.field(readQuery({{k.key, text}})), value) << k.key << "=" << text;
        }
    }
}

TEST(ExtractorParameters, EveryTextKeyKeepsTheValueAsGiven) {
    const std::vector<std::pair<const char*, std::function<std::string(const ExtractorParameters&)>>> keys = {
        {"autoCharge", [](const auto& p) { return p.autoCharge.value_or("<absent>"); }},
        {"xtractorDataFilename", [](const auto& p) { return p.xtractorDataFilename; }},
        {"output_filename", [](const auto& p) { return p.output_filename; }},
        {"specFeaturesFilename", [](const auto& p) { return p.specFeaturesFilename; }},
        {"resultsXtractorDir", [](const auto& p) { return p.resultsXtractorDir; }},
        {"logFileDir", [](const auto& p) { return p.logFileDir; }},
        {"xtractorMode", [](const auto& p) { return p.xtractorMode; }},
        {"cys", [](const auto& p) { return p.cys; }},
    };
    const std::string value = " C:\\runs\\x y.d\\Analysis.yep ";
    for (const auto& [key, field] : keys) {
        EXPECT_EQ(field(readQuery({{key, value}})), value) << key;
        EXPECT_EQ(field(readQuery({{key, ""}})), "") << key;
    }
    EXPECT_EQ(readQuery({}).autoCharge, std::nullopt);
    EXPECT_EQ(readQuery({}).cys, "pyridylethylation");
}

TEST(ExtractorParameters, ChargeModeAndXtractorModeAreReadOnceFromTheirExactTexts) {
    const std::vector<std::pair<std::vector<QueryEntry>, ChargeMode>> charges = {
        {{}, ChargeMode::fixed},
        {{{"autoCharge", "Find"}}, ChargeMode::find},
        {{{"autoCharge", "Default"}}, ChargeMode::singlyCharged},
        {{{"autoCharge", "find"}}, ChargeMode::fixed},
        {{{"autoCharge", ""}}, ChargeMode::fixed},
        {{{"autoCharge", "Find"}, {"autoCharge", "Default "}}, ChargeMode::fixed},
    };
    for (const auto& [entries, mode] : charges) EXPECT_EQ(readQuery(entries).chargeMode, mode) << entries.size();
    const std::vector<std::pair<std::string, XtractorMode>> modes = {
        {"", XtractorMode::normal},
        {"Q-Tof Xtractor", XtractorMode::qtof},
        {"Peak-Picker", XtractorMode::peakPicker},
        {"peak-picker", XtractorMode::normal},
        {"Q-Tof", XtractorMode::normal},
    };
    for (const auto& [text, mode] : modes) EXPECT_EQ(readQuery({{"xtractorMode", text}}).mode, mode) << text;
    EXPECT_EQ(readQuery({}).mode, XtractorMode::normal);
}

TEST(ExtractorParameters, LastOccurrenceOfAKeyWinsAndKeysAreCaseSensitive) {
    EXPECT_EQ(readQuery({{"firstScan", "5"}, {"firstScan", "9"}}).firstScan, 9);
    EXPECT_EQ(readQuery({{"cys", "ICAT-mix"}, {"cys", "acrylamide"}}).cys, "acrylamide");
    EXPECT_EQ(readQuery({{"lowParent", "600"}, {"lowParent", "abc"}}).lowParent, 0.0);
    const ExtractorParameters p = readQuery(
        {{"LowCharge", "1"}, {"lowcharge", "1"}, {"CYS", "acrylamide"}, {"lowCharge ", "1"}, {"bogus", "7"}, {"", "3"}});
    EXPECT_EQ(p.lowCharge, 4);
    EXPECT_EQ(p.cys, "pyridylethylation");
}

TEST(ExtractionContext, PreparedFromTheQueryWithPickingSettingsAndChemistry) {
    const QueryContext run("cys=iodoacetamide&logFileDir=C%3A%5Clogs%5C&minSignalNoiseRatio=7&peakLimitCount=40");
    const ExtractionContext& c = run.context;
    EXPECT_EQ(c.parameters.logFileDir, "C:\\logs\\");
    // Centroiding stays off until an instrument block asks for it.
    EXPECT_EQ(c.picking.peakBinningTolerance, 0.00001);
    EXPECT_EQ(c.picking.minSignalNoiseRatio, 7);
    EXPECT_EQ(c.picking.peakLimitCount, 40);
    EXPECT_EQ(c.picking.bypassDeIsotoping, 0);
    EXPECT_EQ(c.picking.bypassSignalNoiseThresholding, 0);
    const PeakPickSettings settings = c.peakPickSettings();
    EXPECT_EQ(settings.instrumentChargesCertain, 0);
    EXPECT_EQ(settings.minFragmentMass, 105.0);
    EXPECT_EQ(c.chemistry.nominalResidueMass('C'), 160);  // carbamidomethyl cysteine
    EXPECT_EQ(&c.getRejectReasonsStream(), &run.logs.rejectReasons);
}

}  // namespace
