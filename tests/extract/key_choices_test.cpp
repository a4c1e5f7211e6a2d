// The choices of every choice key, as --help lists them, as every refusal
// lists them and in the words two names of one modification are told by.
#include <gtest/gtest.h>

#include <regex>

#include "frontend/key_choices.h"
#include "frontend/key_listing.h"
#include "frontend/key_values.h"

namespace {

// The help's lines as one, the way a person reads the wrapped text.
std::string unwrapped(const std::string& text) { return std::regex_replace(text, std::regex("\n +"), " "); }

TEST(KeyChoices, EveryChoiceKeyListsItsChoicesInTheHelpAndItsRefusal) {
    const std::vector<OfferedChoice> cysteines = cysteineChoices(QUARROW_PARAMS_DIR "/cysteines.tsv");
    ASSERT_FALSE(cysteines.empty());
    const std::string help = unwrapped(keysHelp("the tool", {}, cysteines));
    int choiceKeys = 0;
    for (const QueryKey& key : queryKeys()) {
        const std::vector<OfferedChoice> choices = offeredChoices(key, cysteines);
        const bool choiceKey = key.role == KeyRole::choice || key.role == KeyRole::cysteine;
        EXPECT_EQ(!choices.empty(), choiceKey) << key.name;
        if (!choiceKey) continue;
        ++choiceKeys;
        const std::string text = choicesText(key, cysteines);
        const std::string option = "--" + std::string(key.name) + " VALUE";
        const std::size_t at = help.find(option);
        ASSERT_NE(at, std::string::npos) << option;
        EXPECT_NE(help.find("values: " + text + ".", at), std::string::npos) << key.name << "\n" << help;
        const std::string refusal = key.role == KeyRole::cysteine
                                        ? "not a cysteine modification of msparams_quarrow/cysteines.tsv: " + text
                                        : "not one of " + text + (key.choiceList ? ", nor a comma list of them" : "");
        EXPECT_EQ(valueProblem(key, "no such value", cysteines), refusal) << key.name;
        for (const OfferedChoice& choice : choices) {
            EXPECT_EQ(valueProblem(key, choice.value, cysteines), std::nullopt) << key.name << " " << choice.value;
            EXPECT_NE(text.find(choice.value.empty() ? "empty" : choice.value), std::string::npos) << choice.value;
        }
    }
    EXPECT_GE(choiceKeys, 6);
}

TEST(KeyChoices, TheTextSaysLabelsAndWhichNameAnotherStandsFor) {
    const std::vector<OfferedChoice> two = {{.value = "a"}, {.value = "b", .standsFor = "a"}};
    struct Case {
        const char* key;
        std::vector<OfferedChoice> cysteines;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"autoCharge", two, "Find (Find each charge), Default (Only singly charged), empty (Fixed: lowCharge = highCharge)"},
        {"findMonoisotopicParent", {}, "0 (No), 1 (Yes)"},
        {"peakListFormat", {}, "pkl (.pkl files), mgf (one MGF file), mzml (one mzML file), both"},
        {"xtractorMode", {}, "empty (Normal extraction), Q-Tof Xtractor, Peak-Picker"},
        {"cys", two, "a, b (another name for a)"},
        {"cys", {{.value = "x", .label = "X", .standsFor = "w"}}, "x (X; another name for w)"},
        {"cys", {}, ""},
        {"groupScans", two, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(choicesText(*findQueryKey(c.key), c.cysteines), c.text) << c.key;

    const std::vector<std::pair<OfferedChoice, std::string>> labels = {
        {{.value = "Find", .label = "Find each charge"}, "Find each charge"},
        {{.value = "carbamidomethyl", .standsFor = "iodoacetamide"}, "carbamidomethyl (another name for iodoacetamide)"},
        {{.value = "x"}, "x"},
    };
    for (const auto& [choice, label] : labels) EXPECT_EQ(choiceLabel(choice), label);
}

// Without the parameter folder nothing is known of the cysteine key: it is
// taken as given, and the help offers no values for it.
TEST(KeyChoices, NoCysteineFileNoCysteineChoices) {
    const QueryKey& cys = *findQueryKey("cys");
    EXPECT_EQ(valueProblem(cys, "anything", {}), std::nullopt);
    EXPECT_EQ(unwrapped(keysHelp("the tool", {})).find("Default: pyridylethylation; values"), std::string::npos);
}

}  // namespace
