#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "tests/platform/export_fixtures.h"
#include "tests/support/whole_table_stages.h"
#include "tests/support/work_folder.h"
#include "tests/yepharvest/stage_fixture.h"
#include "yepharvest/run_reader.h"

namespace {

// A reader set to the data file, its logs in memory.
struct Reader : StageRun {
    explicit Reader(const std::string& dataFilename) : StageRun("xtractorDataFilename=" + dataFilename + "&lastScan=9999", {}) {
        run.noMSscans = false;  // as the driver hands the table over
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

TEST(RunReader, EmptyPrecursorAndNoPeakSpectraAreRejected) {
    TempDir dir;
    // The hand-written export with a precursor on its third spectrum, which
    // has no peaks, and a fourth: an MS/MS scan without precursor.
    std::filesystem::copy_file(QUARROW_SOURCE_DIR "/tests/support/exports/peakless_spectra.mzML", dir.file("Analysis.mzML"));
    Reader reader(dir.path() + "/h.d/Analysis.yep");

    const Reader::Read read = reader.read(dir.path());
    ASSERT_EQ(read.result, 0) << read.output;
    ASSERT_EQ(reader.run.size(), 4);
    EXPECT_EQ(reader.record(1).selectedParentMz, 445.25);  // the first of its two precursors
    EXPECT_EQ(reader.record(1).parentMz, 445.25);
    EXPECT_EQ(reader.record(1).rejected, 0);
    EXPECT_EQ(reader.record(2).selectedParentMz, 512.5);  // precursor read, then no peaks
    EXPECT_EQ(reader.record(2).numMergedScans, 1);
    EXPECT_EQ(reader.record(2).rejected, 1);
    EXPECT_EQ(reader.record(2).numPeaks, 0);
    EXPECT_EQ(reader.record(3).rejected, 1);
    EXPECT_EQ(reader.record(3).numMergedScans, 0);
    // The run's description, and every parameter of its first spectrum.
    EXPECT_EQ(read.output,
              "<BR>-----------------\n"
              "<BR>Number of spectra:4\n"
              "<BR>Analysis Name = run42\n"
              "<BR>Operator Name = Ada Operator\n"
              "<BR>Analysis Date and Time = 01/15/2008 10:30\n"
              "<BR>Sample Name = BSA digest\n"
              "<BR>Method Name = method7.m\n"
              "<BR>Parameters:\n"
              "<BR>GroupName\tParameter Name\tParameter Value\n"
              "<BR>spectrum\t\tms level\t1\n"
              "<BR>spectrum\t\tMS1 spectrum\t\n"
              "<BR>spectrum\t\tnote\tsurvey 12a\n"
              "<BR>scan\t\tscan start time\t0.5\n"
              "<BR>scanWindow\t\tscan window lower limit\t300\n"
              "<BR>scanWindow\t\tscan window upper limit\t2000\n"
              "<BR>-----------------\n");
}

// The stages over survey scans skip a run without any; the reader knows it
// once the last spectrum is read, before the stages' last stretch runs, and
// not a spectrum earlier.
TEST(RunReader, ARunWithoutSurveyScansIsKnownOnceItsLastSpectrumIsRead) {
    TempDir dir;
    runGenerator("--spectra 30 --output " + dir.file("with.mzML"));
    runGenerator("--spectra 30 --fragment-only --output " + dir.file("without.mzML"));
    for (const auto& [file, noMSscans] : {std::pair{"with.mzML", false}, std::pair{"without.mzML", true}}) {
        SCOPED_TRACE(file);
        Reader reader(dir.file(file));
        testing::internal::CaptureStdout();
        RunReading reading(dir.file(file), reader.run, reader.context);
        const std::int32_t count = reader.run.size();
        reading.readUpTo(count - 1);
        const bool beforeTheLast = reader.run.noMSscans;
        reading.readUpTo(count);
        const bool afterTheLast = reader.run.noMSscans;
        const int finished = reading.finish();
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(count, 30);
        EXPECT_EQ(finished, 0);
        EXPECT_FALSE(beforeTheLast);
        EXPECT_EQ(afterTheLast, noMSscans);
        EXPECT_EQ(reader.run.noMSscans, noMSscans);
    }
}

// A run that cannot be opened gives the reader's error lines, status 1 and
// an empty table: a folder without an export (naming the last form looked
// for), an empty and a truncated export.
TEST(RunReaderFailures, RunsThatCannotBeOpened) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("empty.d"));
    writeWholeFile(dir.file("empty.mzML"), "");
    runGenerator("--spectra 20 --output " + dir.file("whole.mzML"));
    const std::string whole = readWholeFile(dir.file("whole.mzML"));
    writeWholeFile(dir.file("cut.mzML"), whole.substr(0, whole.size() * 2 / 3));
    struct Case {
        std::string path;
        std::string hresult;
        std::string named;  // what the error lines name
    };
    const std::vector<Case> cases = {{"empty.d/", "-2147024894", "Analysis.mzXML.gz"},
                                     {"empty.mzML", "-2147467259", "empty.mzML"},
                                     {"cut.mzML", "-2147467259", "cut.mzML"}};
    for (const Case& c : cases) {
        Reader reader(dir.file(c.path));
        const Reader::Read read = reader.read(dir.file(c.path));
        EXPECT_EQ(read.result, 1) << c.path;
        EXPECT_EQ(read.output.rfind("<BR>Error opening analysis file.\n<BR>MSAnalysis.Open() returned following HRESULT:<BR>" +
                                        c.hresult + "\n<BR>",
                                    0),
                  0u)
            << c.path << "\n" << read.output;
        EXPECT_NE(read.output.find(c.named), std::string::npos) << c.path << "\n" << read.output;
        EXPECT_EQ(std::count(read.output.begin(), read.output.end(), '\n'), 3) << c.path;
        EXPECT_EQ(read.output.back(), '\n') << c.path;
        EXPECT_EQ(reader.run.size(), 0) << c.path;
    }
}

TEST(RunReaderFailures, UndecodableSpectrumAfterTheCountWasKnown) {
    TempDir dir;
    writeWholeFile(dir.file("bad.mzML"), handWrittenMzML("@@@@ not numbers @@@@"));
    Reader damaged(dir.file("bad.mzML"));
    const Reader::Read read = damaged.read(dir.file("bad.mzML"));
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.output.substr(0, 48), "<BR>-----------------\n<BR>Number of spectra:3\nEr");
    EXPECT_NE(read.output.find("\nError: Spectrum 1 (&quot;scan=1&quot;) of the export "), std::string::npos) << read.output;
    EXPECT_EQ(damaged.run.size(), 3);  // the count was known
    EXPECT_EQ(damaged.record(0).msLevel, 1);
    EXPECT_EQ(damaged.record(1).msLevel, 0);  // never read
    EXPECT_FALSE(damaged.run.noMSscans);
    EXPECT_EQ(damaged.logs.runStats.text(), "");
    EXPECT_EQ(read.output.find("The run goes on"), std::string::npos) << read.output;
}

// Damage part way: the run goes on with the spectra read before it, and the
// page says that its peak lists cover only those.
TEST(RunReaderFailures, UndecodableSpectrumPartWay) {
    TempDir dir;
    runGenerator("--spectra 20 --output " + dir.file("run.mzML"));
    std::string text = readWholeFile(dir.file("run.mzML"));
    std::size_t at = 0;
    for (int array = 1; array <= 11; ++array) at = text.find("<binary>", at) + 8;  // spectrum 6's m/z array
    text.replace(at, 4, "!!!!");
    writeWholeFile(dir.file("run.mzML"), text);
    Reader damaged(dir.file("run.mzML"));
    const Reader::Read read = damaged.read(dir.file("run.mzML"));
    EXPECT_EQ(read.result, 1);
    EXPECT_NE(read.output.find("\nError: Spectrum 6 "), std::string::npos) << read.output;
    EXPECT_NE(read.output.find(".\n<BR>The run goes on with the 5 of its 20 spectra read before this error: its peak "
                               "lists and logs cover only those.\n"),
              std::string::npos)
        << read.output;
    EXPECT_NE(damaged.record(4).msLevel, 0);
}
