// Runs whose outputs are known byte for byte: an export of the MS/MS
// spectra only, its cycles numbered 1181 to 1290 with gaps, as a converter's
// MS-level filter leaves a part of a run (both readers must give what the
// program wrote when it laid such exports out over the cycles they name);
// and runs that must give another run's outputs: the same run numbered from
// a later cycle, the samples of a file in one export.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>

#include "core/util/format_text.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/work_folder.h"

namespace {

// Every output of a run in one text: the peak lists in name order, the
// four logs, the page; the folder's path written as "<folder>/".
std::string outputsOf(const WorkFolder& folder, const std::string& page) {
    std::string all;
    for (const auto& [name, text] : folder.peakLists()) all += "== peaklists/" + name + "\n" + text + "\n";
    for (const char* log : {"features.txt", "xtractorRejectReasons.txt", "parentChargeCheck.txt", "runStats.txt"}) {
        all += std::string("== logs/") + log + "\n" + folder.log(log) + "\n";
    }
    all += "== page\n" + std::regex_replace(page, std::regex("Execution Time: [0-9.]+ secs"), "Execution Time: T secs");
    const std::string path = folder.file("");
    for (std::size_t at = all.find(path); at != std::string::npos; at = all.find(path, at)) all.replace(at, path.size(), "<folder>/");
    return all;
}

// wiffharvest on `wiff` of `folder`, read by `reader`: every output, or
// nothing when the program failed (its page then in the test's message).
std::string wiffRunOutputs(const WorkFolder& folder, const std::string& wiff, std::string_view reader = "own") {
    const std::string query = "xtractorDataFilename=" + folder.file(wiff) + "&logFileDir=" + folder.file("logs/") +
                              "&resultsXtractorDir=" + folder.file("peaklists/") +
                              "&specFeaturesFilename=features.txt&lastScan=100000";
    std::map<std::string, std::string> environment = {{"QUERY_STRING", query}};
    if (reader == "pwiz") environment["QUARROW_READER"] = "pwiz";
    const ChildResult result = folder.start(WIFFHARVEST_PATH, environment);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    return result.exitStatus == 0 ? outputsOf(folder, result.output) : std::string();
}

// The outputs of the run that quarrow-rungen makes with `options` as lys.wiff.
std::string generatedRunOutputs(const std::string& options, std::string_view reader = "own") {
    WorkFolder folder;
    folder.generate(options + " --output " + folder.file("lys.wiff"));
    return wiffRunOutputs(folder, "lys.wiff", reader);
}

// The MS/MS-only export of the golden run, its cycles numbered from
// `firstCycle`, read by `reader`.
std::string goldenRunOutputs(const std::string& firstCycle, std::string_view reader) {
    return generatedRunOutputs("--sciex qstar --msms-only --first-cycle " + firstCycle + " --spectra 630 --seed 11", reader);
}

// `text` with each match of `pattern` replaced by what `change` makes of
// its numbered groups (as numbers).
std::string withNumbers(const std::string& text, const std::string& pattern,
                        const std::function<std::string(const std::vector<long long>&)>& change) {
    std::string result;
    std::size_t copied = 0;
    const std::regex expression(pattern);
    for (auto match = std::sregex_iterator(text.begin(), text.end(), expression); match != std::sregex_iterator(); ++match) {
        std::vector<long long> numbers;
        for (std::size_t group = 1; group < match->size(); ++group) numbers.push_back(std::stoll((*match)[group].str()));
        result += text.substr(copied, static_cast<std::size_t>(match->position()) - copied) + change(numbers);
        copied = static_cast<std::size_t>(match->position() + match->length());
    }
    return result + text.substr(copied);
}

}  // namespace

TEST(WiffGolden, MsmsOnlyExportOfCycles1181To1290) {
    const std::string expected = readWholeFile(GOLDEN_DIR "/msms_only_cycles_1181_1290.txt");
    ASSERT_FALSE(expected.empty());
    for (const char* reader : {"own", "pwiz"}) {
        SCOPED_TRACE(reader);
        const std::string actual = goldenRunOutputs("1181", reader);
        EXPECT_TRUE(actual == expected) << "outputs differ from " GOLDEN_DIR "/msms_only_cycles_1181_1290.txt";
    }
}

// The same spectra a billion cycles later: read in the time and memory of
// the spectra held, the same peak lists and rows, and the skipped scans of
// the empty cycles counted up to the most the statistics can print.
TEST(WiffGolden, CycleNumbersOfABillionCostNothing) {
    const std::string expected = readWholeFile(GOLDEN_DIR "/msms_only_cycles_1181_1290.txt");
    ASSERT_FALSE(expected.empty());
    const std::string actual = goldenRunOutputs("1000000000", "own");
    ASSERT_FALSE(actual.empty());
    const auto section = [](const std::string& all, const std::string& from, const std::string& to) {
        const std::size_t begin = all.find(from);
        return begin == std::string::npos ? std::string() : all.substr(begin, all.find(to, begin) - begin);
    };
    for (const auto& [from, to] : {std::pair{"== peaklists/", "== logs/"}, {"== logs/features.txt", "== logs/xtr"},
                                   {"== logs/xtr", "== logs/parent"}}) {
        EXPECT_FALSE(section(expected, from, to).empty()) << from;
        EXPECT_TRUE(section(actual, from, to) == section(expected, from, to)) << from << " differs";
    }
    EXPECT_NE(actual.find("\nnumSkippedMSMSscans\t2147483647\nnumMSscansWithAllMSMSscansSkippedInCycle\t0\n"),
              std::string::npos);
}

// The same run with survey scans numbered from cycle 1 and from cycle 1000:
// the same peak lists, rows and statistics, and the 999 empty cycles before
// the first counted as cycles with every MS/MS scan skipped (each with a
// survey scan in the method, so each an MS scan left without MS/MS).
TEST(WiffGolden, SurveyedRunFromALaterCycleCountsTheEmptyCyclesBefore) {
    const std::string options = "--sciex qstar --spectra 300 --seed 12";
    const std::string fromOne = generatedRunOutputs(options);
    const std::string fromLater = generatedRunOutputs(options + " --first-cycle 1000");
    ASSERT_FALSE(fromOne.empty());
    const std::smatch layout = [&] {
        std::smatch found;
        std::regex_search(fromOne, found, std::regex("numActualCycles: (\\d+) numExperiments/cycle: (\\d+)\n"));
        return found;
    }();
    ASSERT_EQ(layout.size(), 3u);
    const long long experiments = std::stoll(layout[2].str());
    const long long msms = experiments - 1;  // all but the survey experiment
    ASSERT_GE(msms, 1);
    // Cycles that the run itself leaves without MS/MS: the later numbers must add to them, not replace them.
    ASSERT_EQ(fromOne.find("\nnumMSscansWithAllMSMSscansSkippedInCycle\t0\n"), std::string::npos) << fromOne;
    std::string expected = fromOne;
    for (const char* separator : {": ", "\t"}) {
        const std::string between = separator == std::string(": ") ? " " : "\n";
        expected = withNumbers(expected,
                               formatText("numSkippedMSMSscans%s(\\d+)%snumMSscansWithAllMSMSscansSkippedInCycle%s(\\d+)",
                                          separator, between.c_str(), separator),
                               [&](const std::vector<long long>& n) {
                                   return formatText("numSkippedMSMSscans%s%lld%snumMSscansWithAllMSMSscansSkippedInCycle%s%lld",
                                                     separator, n[0] + 999 * msms, between.c_str(), separator, n[1] + 999);
                               });
        expected = withNumbers(expected, formatText("experimentsSkippedPerCycle %lld%s(\\d+)", msms, separator),
                               [&](const std::vector<long long>& n) {
                                   return formatText("experimentsSkippedPerCycle %lld%s%lld", msms, separator, n[0] + 999);
                               });
    }
    expected = withNumbers(expected, "spectra: (\\d+) \\(includes skipped scans\\)<BR>numActualCycles: (\\d+) ",
                           [&](const std::vector<long long>& n) {
                               return formatText("spectra: %lld (includes skipped scans)<BR>numActualCycles: %lld ",
                                                 n[0] + 999 * experiments, n[1] + 999);
                           });
    EXPECT_TRUE(fromLater == expected) << "outputs differ";
}

// An export that holds both samples of a file, one after the other, gives
// what the two exported apart give: each sample's peak lists, rows and
// statistics. So does the shape of an OpenMS test export: two spectra, one
// of sample 1 and one of sample 2 (one cycle each, so nothing to write).
TEST(WiffGolden, AnExportOfTwoSamplesReadsAsTheSamplesExportedApart) {
    const std::string options = "--sciex qstar --samples 2 --spectra 200 --chargeless 0.3 --seed 7";
    const std::string apart = generatedRunOutputs(options);
    ASSERT_NE(apart.find("== peaklists/lys_2."), std::string::npos);
    EXPECT_TRUE(generatedRunOutputs(options + " --one-export") == apart) << "outputs differ";

    const auto openMsShaped = [](const std::vector<int>& samples) {
        std::vector<FixtureSpectrum> spectra;
        for (const int sample : samples) {
            FixtureSpectrum product;
            product.id = formatText("sample=%d period=1 cycle=1 experiment=1", sample);
            product.params = msLevel(2);
            product.seconds = 0.6 * sample;
            product.precursor = precursorElement(445.12, "2", std::nullopt, 30.0);
            spectra.push_back(product);
        }
        return fixtureMzML(spectra, msTerm("MS:1000655", "QSTAR Elite"), "Mix");
    };
    WorkFolder together;
    writeWholeFile(together.file("lys.mzML"), openMsShaped({1, 2}));
    const std::string read = wiffRunOutputs(together, "lys.wiff");
    WorkFolder separate;
    writeWholeFile(separate.file("lys-1.mzML"), openMsShaped({1}));
    writeWholeFile(separate.file("lys-2.mzML"), openMsShaped({2}));
    EXPECT_NE(read.find("sampleName: Mix\tsampleIndex: 2\n"), std::string::npos) << read;
    EXPECT_TRUE(read == wiffRunOutputs(separate, "lys.wiff")) << read;
}
