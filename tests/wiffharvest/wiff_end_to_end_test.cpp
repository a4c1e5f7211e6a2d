// wiffharvest as a web server runs it, on generated Sciex exports whose
// truth is known: the page, every peak list, every log, and the failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <regex>

#include "core/util/format_text.h"
#include "tests/support/features_headers.h"
#include "tests/support/mgf_check.h"
#include "tests/support/work_folder.h"

namespace {

// A generated .wiff export in a working folder.
class SciexRun : public WorkFolder {
public:
    SciexRun(const std::string& wiffName, const std::string& generatorOptions) : wiff_(file(wiffName)) {
        generate("--output " + wiff_ + " --truth " + file("truth.tsv") + " " + generatorOptions);
    }
    ChildResult run(const std::string& query = "") const {
        return extract(WIFFHARVEST_PATH, wiff_, "specFeaturesFilename=features.txt&lastScan=100000" + query);
    }

private:
    std::string wiff_;
};

// The stage lines of one sample, in order, as the page shows them.
std::string stageSequence(bool isotopes, bool survey) {
    std::string sequence = "<BR>Spectra read into memory # spectra: N\n<BR>numNonRejectedMSMSspectra: N";
    if (isotopes) sequence += "<BR>Precursor charges assigned based on isotope spacing.\n";
    sequence += "<BR>Merging done: \n<BR>numNonRejectedMSMSspectra: N"
                "<BR>Nearby MS/MS spectra with same precursor merged and filtered\n<BR>numNonRejectedMSMSspectra: N";
    if (survey) sequence += "<BR>Calculated precursor TICs in intervening MS scans.\n<BR>numNonRejectedMSMSspectra: N";
    sequence += "<BR>Created spectral files.\n<BR>numNonRejectedMSMSspectra: N"
                "<BR>Run statistics calculated and output.\n<BR>numNonRejectedMSMSspectra: N";
    return sequence;
}

// The page with every number after "spectra: " and "MSMSspectra: " and the
// skipped-scan report taken out, which the other checks compare with the logs.
std::string pageShape(const std::string& page) {
    std::string shape = std::regex_replace(page, std::regex("(spectra: |MSMSspectra: )[0-9]+"), "$1N");
    shape = std::regex_replace(shape, std::regex("<BR>(Alloted|numSkipped|MSMS scansTaken|experimentsSkipped)[^\n]*\n"), "");
    return std::regex_replace(shape, std::regex("Execution Time: [0-9]+\\.0 secs\n$"), "Execution Time\n");
}

// Every peak list has its header and peak lines with `decimals` decimals of
// m/z, and one features row of the .wiff header's twenty columns names it.
void expectPeakListsMatchFeatures(const SciexRun& run, int decimals) {
    const std::map<std::string, std::string> files = run.peakLists();
    const std::vector<std::string> rows = splitText(run.log("features.txt"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], kWiffFeaturesHeader);
    EXPECT_EQ(rows.size(), files.size() + 1);
    const std::regex header(R"(\d+\.\d\d\t\d+\t\d)");
    const std::regex peak(formatText(R"(\d+\.\d{%d}\t\d+)", decimals));
    for (const auto& [name, text] : files) {
        const std::vector<std::string> fileLines = splitText(text);
        ASSERT_GE(fileLines.size(), 3u) << name;
        EXPECT_TRUE(std::regex_match(fileLines[0], header)) << name << ": " << fileLines[0];
        EXPECT_TRUE(std::regex_match(fileLines[1], peak)) << name << ": " << fileLines[1];
        EXPECT_NE(text.back(), '\n') << name;
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const std::string& r) { return r.rfind(name + "\t", 0) == 0; });
        ASSERT_NE(row, rows.end()) << name;
        EXPECT_EQ(std::count(row->begin(), row->end(), '\t'), 19) << *row;
    }
}

// A second export of sample 1 beside the two is not read, and the page says so.
TEST(WiffharvestEndToEnd, TwoSampleQstarRunWithProfileSurveyScans) {
    const SciexRun run("lysate3.wiff", "--sciex qstar --samples 2 --profile --spectra 240 --chargeless 0.5 --seed 11");
    std::filesystem::copy_file(run.file("lysate3-Sample1.mzML"), run.file("lysate3-rerun.mzML"));
    const ChildResult r = run.run();
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    const std::string notRead = "lysate3-rerun.mzML is not read: its spectrum ids name sample 1, which lysate3-Sample1.mzML holds.";
    EXPECT_EQ(pageShape(r.output), "<BR>exportWarning: " + notRead + "\n<BR>Wiff file opened. Contains 2 samples\n"
                                   "<BR>Assigned instrument type ESI-QSTAR.\n" +
                                       stageSequence(true, true) + stageSequence(true, true) + "Execution Time\n");

    // The skipped-scan report of each sample, on the page and in runStats.txt.
    const std::string stats = run.log("runStats.txt");
    const std::string opening = "\nfilePath: " + run.file("lysate3.wiff") + "\n\nsampleName: Sample1\tsampleIndex: 1\n"
                                "sampleName: Sample2\tsampleIndex: 2\nexportWarning\t" + notRead +
                                "\nsampleName: Sample1\tsampleIndex: 1\n";
    EXPECT_EQ(stats.substr(0, opening.size()), opening);
    std::smatch skipped;
    ASSERT_TRUE(std::regex_search(r.output, skipped, std::regex("numSkippedMSMSscans: (\\d+) numMSscansWith\\w+: (\\d+)")));
    EXPECT_NE(stats.find("numSkippedMSMSscans\t" + skipped[1].str() + "\nnumMSscansWithAllMSMSscansSkippedInCycle\t" +
                         skipped[2].str() + "\n"),
              std::string::npos);

    // One statistics block per sample, each counting its own peak lists.
    const std::size_t second = stats.find("sampleName: Sample2\tsampleIndex: 2\nnumSkipped");
    ASSERT_NE(second, std::string::npos);
    const std::map<std::string, std::string> files = run.peakLists();
    const auto sampleTwo = std::count_if(files.begin(), files.end(), [](const auto& f) { return f.first.rfind("lysate3_2.", 0) == 0; });
    EXPECT_GT(sampleTwo, 0);
    EXPECT_EQ(counters(stats.substr(second)).at("numOutputFiles"), sampleTwo);
    EXPECT_EQ(counters(stats.substr(0, second)).at("numOutputFiles"), static_cast<int>(files.size()) - sampleTwo);
    expectPeakListsMatchFeatures(run, 4);

    // Each sample opens its rows of the charge log with its period count;
    // spacing decisions give charges 1 to 3.
    const std::string charges = run.log("parentChargeCheck.txt");
    EXPECT_EQ(charges.rfind("scanNumber\tChargeAssignment\nnumActualPeriods: 1\n", 0), 0u) << charges.substr(0, 80);
    EXPECT_NE(charges.find("\nnumActualPeriods: 1\nlysate3."), charges.rfind("\nnumActualPeriods: 1\n"));
    EXPECT_TRUE(std::regex_search(charges, std::regex("\nlysate3\\.\\d{4}\\.\\d{4}\tcharge: [123] assigned from delta m/z")));
}

// Named without the .wiff ending, which does not change the rows, nor so
// the header above them.
TEST(WiffharvestEndToEnd, QtrapRunWithoutSurveyScans) {
    const SciexRun run("q", "--sciex qtrap --fragment-only --spectra 150 --seed 4");
    const ChildResult r = run.run("&peakListFormat=both");
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    EXPECT_EQ(pageShape(r.output), "<BR>Wiff file opened. Contains 1 samples\n<BR>Assigned instrument type ESI-QTRAP.\n" +
                                       stageSequence(false, false) + "Execution Time\n");
    std::map<std::string, std::string> files = run.peakLists();
    const std::string mgf = files.at("q.mgf");
    files.erase("q.mgf");
    expectMgfMatchesPeakLists(mgf, files);
    std::filesystem::remove(run.file("peaklists/q.mgf"));
    // instrument.txt does not call the QTRAP's charges certain: the MGF
    // leaves the label's charges to the search engine.
    EXPECT_GT(std::count_if(files.begin(), files.end(), [](const auto& f) { return !f.first.ends_with(".0.pkl"); }), 0);
    EXPECT_EQ(mgf.find("CHARGE="), std::string::npos);
    expectPeakListsMatchFeatures(run, 2);
    // Without survey scans the precursor intensity stays the label's 100.
    for (const auto& [name, text] : run.peakLists()) EXPECT_EQ(splitText(text)[0].substr(splitText(text)[0].find('\t')), "\t100\t" + name.substr(name.size() - 5, 1)) << name;
}

// A QSTAR's charges, the label's (certain by instrument.txt) and those of
// the isotope spacing, are every one stated in the MGF.
TEST(WiffharvestEndToEnd, QstarChargesAreStatedInTheMgf) {
    const SciexRun run("lysate3.wiff", "--sciex qstar --chargeless 0.5 --spectra 200 --seed 9");
    ASSERT_EQ(run.run("&peakListFormat=both").exitStatus, 0);
    std::map<std::string, std::string> files = run.peakLists();
    const std::string mgf = files.at("lysate3.mgf");
    files.erase("lysate3.mgf");
    expectMgfMatchesPeakLists(mgf, files);
    const auto charged = std::count_if(files.begin(), files.end(), [](const auto& f) { return !f.first.ends_with(".0.pkl"); });
    EXPECT_GT(charged, 0);
    const std::regex chargeLine("\nCHARGE=");
    EXPECT_EQ(std::distance(std::sregex_iterator(mgf.begin(), mgf.end(), chargeLine), std::sregex_iterator()), charged);
}

// A MALDI run is known by its name. A missing or truncated export fails with
// the object model's error; a file name reaches that page escaped.
TEST(WiffharvestEndToEnd, MaldiRunByItsNameAndBadExports) {
    const SciexRun run("plate1_Product.wiff", "--sciex qstar --spectra 60 --seed 2");
    const ChildResult maldi = run.run();
    ASSERT_EQ(maldi.exitStatus, 0) << maldi.output;
    EXPECT_NE(maldi.output.find("<BR>Assigned instrument type MALDI-QSTAR.\n"), std::string::npos);
    const std::string whole = readWholeFile(run.file("plate1_Product.mzML"));
    writeWholeFile(run.file("cut.mzML"), whole.substr(0, whole.size() / 2));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"none.wiff", "\r\nError Message:The system cannot find the file specified"},
        {"cut.wiff", "\r\nError Message:Unspecified error"},
        {"%3Cscript%3E.wiff", "&lt;script&gt;"},
    };
    for (const auto& [wiff, message] : cases) {
        const ChildResult r =
            run.extract(WIFFHARVEST_PATH, run.file(wiff), "specFeaturesFilename=f.txt&peakListFormat=both");
        EXPECT_EQ(r.exitStatus, 1) << wiff;
        // A run that read nothing leaves nothing that looks like its result.
        const std::string stem = wiff.substr(0, wiff.size() - 5);
        EXPECT_EQ(run.peakLists().count(stem + ".mgf"), 0u) << wiff;
        EXPECT_EQ(r.output.rfind("ERROR\r\n\r\nDescription:", 0), 0u) << wiff << ": " << r.output;
        EXPECT_NE(r.output.find(message), std::string::npos) << wiff << ": " << r.output;
        EXPECT_EQ(r.output.find("<script>"), std::string::npos) << wiff;
        EXPECT_EQ(r.output.find("Execution Time"), std::string::npos) << wiff;
    }
}

}  // namespace

// The export passed over as a second export of sample 1 is named also when
// the run then fails for want of sample 2.
TEST(WiffharvestEndToEnd, SkippedExportNamedWhenASampleIsMissing) {
    const SciexRun run("lysate3.wiff", "--sciex qstar --samples 3 --spectra 60 --seed 5");
    std::filesystem::rename(run.file("lysate3-Sample2.mzML"), run.file("lysate3-rerun.mzML"));
    std::filesystem::copy_file(run.file("lysate3-Sample1.mzML"), run.file("lysate3-rerun.mzML"),
                               std::filesystem::copy_options::overwrite_existing);
    const ChildResult r = run.run();
    EXPECT_EQ(r.exitStatus, 1) << r.output;
    const std::string notRead = "lysate3-rerun.mzML is not read: its spectrum ids name sample 1, which lysate3-Sample1.mzML holds.";
    const std::size_t warning = r.output.find("<BR>exportWarning: " + notRead + "\n");
    ASSERT_NE(warning, std::string::npos) << r.output;
    EXPECT_LT(warning, r.output.find("No export of sample 2 was found"));
    EXPECT_NE(run.log("runStats.txt").find("exportWarning\t" + notRead + "\n"), std::string::npos);
}
