#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/util/format_text.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/yepharvest/stage_fixture.h"
#include "yepharvest/run_reader.h"

namespace {

struct Truth {
    std::int32_t msLevel;
    std::int32_t charge;
    double mz;
};

void generateRun(const std::string& output, const std::string& options) {
    const std::string command = std::string(RUNGEN_PATH) + " --output '" + output + "' " + options + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::vector<Truth> readTruth(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);  // header
    std::vector<Truth> rows;
    while (std::getline(file, line)) {
        std::vector<std::string> fields;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        rows.push_back({std::stoi(fields[2]), std::stoi(fields[5]), std::stod(fields[6])});
    }
    return rows;
}

// A reader set to the data file and scan range, its logs in memory.
struct Reader : StageRun {
    explicit Reader(const std::string& dataFilename, int firstScan = 1, int lastScan = 9999)
        : StageRun(formatText("xtractorDataFilename=%s&firstScan=%d&lastScan=%d", dataFilename.c_str(), firstScan,
                              lastScan),
                   {}) {
        run.noMSscans = 0;  // as the driver hands the table over
    }

    struct Read {
        int result;
        std::string output;
    };
    Read read(const std::string& runPath) {
        testing::internal::CaptureStdout();
        const int result = readVelmoraDataIntoMemory(runPath, run, context);
        return {result, testing::internal::GetCapturedStdout()};
    }
    const MSscan& record(std::int32_t index) const { return run.records.at(static_cast<std::size_t>(index)); }
};

}  // namespace

TEST(RunReader, GeneratedRunFillsTheTableAsTheTruthSays) {
    TempDir dir;
    generateRun(dir.file("r1.d"), "--folder --spectra 40 --top 4 --seed 3");
    const std::vector<Truth> truth = readTruth(dir.file("r1.d.truth.tsv"));
    Reader reader(dir.path() + "\\r1.d\\Analysis.yep");

    const Reader::Read read = reader.read(dir.file("r1.d/"));
    ASSERT_EQ(read.result, 0) << read.output;
    ASSERT_EQ(reader.run.numScans(), 40);
    for (std::int32_t i = 0; i < 40; ++i) {
        const MSscan& scan = reader.record(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(scan.scanNumber, static_cast<int>(i) + 1);
        EXPECT_EQ(scan.lastScanNumber, scan.scanNumber);
        EXPECT_EQ(scan.lastMergedIndex, static_cast<int>(i));
        EXPECT_EQ(scan.msLevel, truth[i].msLevel);
        EXPECT_EQ(scan.rejected, 0);
        ASSERT_GT(scan.numPeaks, 0);
        ASSERT_EQ(scan.peaks.size(), static_cast<std::size_t>(scan.numPeaks));
        const PeakList peaks = toKestranePeaks(scan.peaks);
        EXPECT_EQ(peaks.front().mPlusH, peaks.front().mOverZ);
        EXPECT_EQ(peaks.back().charge, 1);
        if (scan.msLevel == 2) {
            EXPECT_NEAR(scan.selectedParentMz, truth[i].mz, 1e-6);
            EXPECT_EQ(scan.parentMz, scan.selectedParentMz);
            EXPECT_EQ(scan.charge, 0);
            EXPECT_EQ(scan.chargePending, 1);
            EXPECT_EQ(scan.numMergedScans, 1);
        } else {
            EXPECT_EQ(scan.numMergedScans, 0);
            EXPECT_EQ(scan.chargePending, 0);
        }
    }
    EXPECT_EQ(reader.run.noMSscans, 0);
    EXPECT_EQ(reader.logs.rejectReasons.text(), "");
    EXPECT_EQ(reader.logs.runStats.text(), "FileName\tr1\nSampleName\tsynthetic digest\nAnalysisDateTime\t03/05/2024 09:41\n");
    EXPECT_EQ(read.output,
              "<BR>-----------------\n"
              "<BR>Number of spectra:40\n"
              "<BR>Analysis Name = r1\n"
              "<BR>Operator Name = quarrow-rungen\n"
              "<BR>Analysis Date and Time = 03/05/2024 09:41\n"
              "<BR>Sample Name = synthetic digest\n"
              "<BR>Method Name = \n"
              "<BR>Parameters:\n"
              "<BR>GroupName\tParameter Name\tParameter Value\n"
              "<BR>spectrum\t\tms level\t1\n"
              "<BR>spectrum\t\tMS1 spectrum\t\n"
              "<BR>spectrum\t\tpositive scan\t\n"
              "<BR>spectrum\t\tcentroid spectrum\t\n"
              "<BR>scan\t\tscan start time\t0\n"
              "<BR>scanWindow\t\tscan window lower limit\t300\n"
              "<BR>scanWindow\t\tscan window upper limit\t2000\n"
              "<BR>-----------------\n");
}

TEST(RunReader, ScansOutsideTheRangeGetOneRejectRowEach) {
    TempDir dir;
    generateRun(dir.file("r1.d"), "--folder --spectra 30 --seed 5");
    Reader reader(dir.path() + "/r1.d/Analysis.yep", 10, 20);
    const Reader::Read read = reader.read(dir.file("r1.d"));
    ASSERT_EQ(read.result, 0) << read.output;
    std::string expected;
    for (int scan = 1; scan <= 30; ++scan) {
        const bool inside = scan >= 10 && scan <= 20;
        EXPECT_EQ(reader.record(scan - 1).rejected, inside ? 0 : 1) << scan;
        EXPECT_EQ(reader.record(scan - 1).numPeaks == 0, !inside) << scan;
        if (!inside) expected += formatText("\nr1.%d\t0\tscan #: %d outside range 10 - 20", scan, scan);
    }
    EXPECT_EQ(reader.logs.rejectReasons.text(), expected);
    EXPECT_EQ(reader.run.noMSscans, 0);  // the MS scans outside the range count too
}

TEST(RunReader, FragmentOnlyRunSetsNoMSscans) {
    TempDir dir;
    generateRun(dir.file("frag.mzML"), "--spectra 12 --fragment-only");
    Reader reader(dir.file("frag.mzML"));
    const Reader::Read read = reader.read(dir.file("frag.mzML"));
    ASSERT_EQ(read.result, 0) << read.output;
    EXPECT_EQ(reader.run.numScans(), 12);
    EXPECT_EQ(reader.run.noMSscans, 1);
    EXPECT_NE(read.output.find("<BR>spectrum\t\tms level\t2\n"), std::string::npos);
}

TEST(RunReader, EmptyPrecursorAndNoPeakSpectraAreRejected) {
    TempDir dir;
    std::string text = handWrittenMzML();
    // Give the third spectrum a precursor but still no peaks; the fourth of
    // the table is then an MS/MS scan without precursor.
    const std::string bare = "<spectrum index=\"2\" id=\"scan=3\" defaultArrayLength=\"0\">\n"
                             "<cvParam cvRef=\"MS\" accession=\"MS:1000580\" name=\"MSn spectrum\"/>\n";
    const std::size_t at = text.find(bare);
    ASSERT_NE(at, std::string::npos);
    text.insert(at + bare.size(),
                "<precursorList count=\"1\"><precursor><selectedIonList count=\"1\"><selectedIon>"
                "<cvParam cvRef=\"MS\" accession=\"MS:1000744\" name=\"selected ion m/z\" value=\"512.5\"/>"
                "</selectedIon></selectedIonList><activation/></precursor></precursorList>\n");
    std::string noPrecursor = bare;
    noPrecursor.replace(noPrecursor.find("index=\"2\" id=\"scan=3\""), 21, "index=\"3\" id=\"scan=4\"");
    text.insert(text.find("</spectrumList>"), noPrecursor + "</spectrum>\n");
    text.replace(text.find("spectrumList count=\"3\""), 22, "spectrumList count=\"4\"");
    writeWholeFile(dir.file("Analysis.mzML"), text);
    Reader reader(dir.path() + "/h.d/Analysis.yep");

    const Reader::Read read = reader.read(dir.path());
    ASSERT_EQ(read.result, 0) << read.output;
    ASSERT_EQ(reader.run.numScans(), 4);
    EXPECT_EQ(reader.record(1).selectedParentMz, 445.25);
    EXPECT_EQ(reader.record(1).rejected, 0);
    EXPECT_EQ(reader.record(2).selectedParentMz, 512.5);  // precursor read, then no peaks
    EXPECT_EQ(reader.record(2).numMergedScans, 1);
    EXPECT_EQ(reader.record(2).rejected, 1);
    EXPECT_EQ(reader.record(2).numPeaks, 0);
    EXPECT_EQ(reader.record(3).rejected, 1);
    EXPECT_EQ(reader.record(3).numMergedScans, 0);
    EXPECT_NE(read.output.find("<BR>Analysis Date and Time = 01/15/2008 10:30\n<BR>Sample Name = BSA digest\n"
                               "<BR>Method Name = method7.m\n"),
              std::string::npos);
    EXPECT_NE(read.output.find("<BR>spectrum\t\tnote\tsurvey 12a\n<BR>scan\t\tscan start time\t0.5\n"), std::string::npos);
}

TEST(RunReaderFailures, MissingFolderOrExport) {
    TempDir dir;
    Reader reader(dir.path() + "/none.d/Analysis.yep");
    Reader::Read read = reader.read(dir.file("none.d/"));
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(reader.run.numScans(), 0);
    const std::string head =
        "<BR>Error opening analysis file.\n<BR>MSAnalysis.Open() returned following HRESULT:<BR>-2147024894\n<BR>";
    EXPECT_EQ(read.output.substr(0, head.size()), head);
    EXPECT_NE(read.output.find(dir.file("none.d/")), std::string::npos);
    EXPECT_EQ(read.output.back(), '\n');
    EXPECT_EQ(std::count(read.output.begin(), read.output.end(), '\n'), 3);

    std::filesystem::create_directories(dir.file("empty.d"));
    read = reader.read(dir.file("empty.d/"));
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.output.substr(0, head.size()), head);
    EXPECT_NE(read.output.find("Analysis.mzXML.gz"), std::string::npos);
}

TEST(RunReaderFailures, EmptyTruncatedAndUndecodableExports) {
    TempDir dir;
    const std::string unreadable =
        "<BR>Error opening analysis file.\n<BR>MSAnalysis.Open() returned following HRESULT:<BR>-2147467259\n<BR>";
    writeWholeFile(dir.file("empty.mzML"), "");
    Reader reader(dir.file("empty.mzML"));
    Reader::Read read = reader.read(dir.file("empty.mzML"));
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.output.substr(0, unreadable.size()), unreadable);

    generateRun(dir.file("whole.mzML"), "--spectra 20");
    const std::string whole = readWholeFile(dir.file("whole.mzML"));
    writeWholeFile(dir.file("cut.mzML"), whole.substr(0, whole.size() * 2 / 3));
    read = reader.read(dir.file("cut.mzML"));
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.output.substr(0, unreadable.size()), unreadable);
    EXPECT_EQ(reader.run.numScans(), 0);

    writeWholeFile(dir.file("bad.mzML"), handWrittenMzML("@@@@ not numbers @@@@"));
    Reader damaged(dir.file("bad.mzML"));
    read = damaged.read(dir.file("bad.mzML"));
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.output.substr(0, 48), "<BR>-----------------\n<BR>Number of spectra:3\nEr");
    EXPECT_NE(read.output.find("\nError: Spectrum 1 of the export "), std::string::npos) << read.output;
    EXPECT_EQ(damaged.run.numScans(), 3);  // the count was known
    EXPECT_EQ(damaged.record(0).msLevel, 1);
    EXPECT_EQ(damaged.record(1).msLevel, 0);  // never read
    EXPECT_EQ(damaged.run.noMSscans, 0);
    EXPECT_EQ(damaged.logs.runStats.text(), "");
}

TEST(RunReaderOnRealData, SmallBsaRun) {
    const std::string path = std::string(QUARROW_REAL_DATA_DIR) + "/BSA_min_21.mzXML";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "real run absent: " << path;
    Reader reader(path);
    const Reader::Read read = reader.read(path);
    ASSERT_EQ(read.result, 0) << read.output;
    EXPECT_NE(read.output.find("<BR>Number of spectra:100\n"), std::string::npos);
    EXPECT_NE(read.output.find("<BR>Analysis Name = BSA_min_21\n"), std::string::npos);
    EXPECT_EQ(reader.record(0).msLevel, 1);
    EXPECT_EQ(reader.record(1).msLevel, 2);
    EXPECT_GT(reader.record(1).selectedParentMz, 300.0);
    EXPECT_EQ(reader.record(0).numPeaks, 704);
    EXPECT_EQ(reader.run.noMSscans, 0);
}
