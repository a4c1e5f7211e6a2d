// A run whose outputs are known byte for byte: an export of the MS/MS
// spectra only, its cycles numbered 1181 to 1290 with gaps, as a converter's
// MS-level filter leaves a part of a run. Both readers must give what the
// program wrote when it laid such exports out over the cycles they name.
#include <gtest/gtest.h>

#include <regex>

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

// The MS/MS-only export of the golden run, its cycles numbered from
// `firstCycle`, read by `reader`: every output, or nothing when the
// program failed (its page then in the test's message).
std::string goldenRunOutputs(const std::string& firstCycle, std::string_view reader) {
    WorkFolder folder;
    folder.generate("--sciex qstar --msms-only --first-cycle " + firstCycle + " --spectra 630 --seed 11 --output " +
                    folder.file("lys.wiff"));
    const std::string query = "xtractorDataFilename=" + folder.file("lys.wiff") + "&logFileDir=" + folder.file("logs/") +
                              "&resultsXtractorDir=" + folder.file("peaklists/") +
                              "&specFeaturesFilename=features.txt&lastScan=100000";
    std::map<std::string, std::string> environment = {{"QUERY_STRING", query}};
    if (reader == "pwiz") environment["QUARROW_READER"] = "pwiz";
    const ChildResult result = folder.start(WIFFHARVEST_PATH, environment);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    return result.exitStatus == 0 ? outputsOf(folder, result.output) : std::string();
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
