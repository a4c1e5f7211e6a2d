// The four logs: where they go, when they get their header, which header.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/output_files.h"
#include "core/extractor/query_keys.h"
#include "core/util/format_text.h"
#include "core/util/html_page.h"
#include "tests/support/child_process.h"
#include "tests/support/features_headers.h"
#include "tests/support/temp_dir.h"

namespace {

// Parameters that put the logs into `folder` + "/", features as features.txt.
ExtractorParameters logsIn(const std::string& folder, std::vector<QueryEntry> more = {}) {
    more.insert(more.begin(), {{"logFileDir", folder + "/"}, {"specFeaturesFilename", "features.txt"}});
    return readExtractorParameters(more);
}

TEST(OutputFiles, ExistingEmptyFileGetsItsHeaderAndAFullOneDoesNot) {
    TempDir dir;
    writeWholeFile(dir.file("xtractorRejectReasons.txt"), "");
    writeWholeFile(dir.file("parentChargeCheck.txt"), "old content");
    openXtractorOutputFiles(logsIn(dir.path()), FeaturesRows::otherRun);
    EXPECT_EQ(readWholeFile(dir.file("xtractorRejectReasons.txt")), "spectrumName\tnumScansAfterParent\tRejectReason");
    EXPECT_EQ(readWholeFile(dir.file("parentChargeCheck.txt")), "old content");
}

// The rows decide, not the data file's name: a .wiff name under yepharvest
// and a name without it under wiffharvest keep their program's header.
TEST(OutputFiles, FeaturesHeaderFollowsModeRowsAndMixture) {
    struct Case {
        FeaturesRows rows;
        std::string dataFile;
        std::string cys;
        std::string mode;
        std::string header;
    };
    const FeaturesRows wiff = FeaturesRows::wiffRun;
    const FeaturesRows other = FeaturesRows::otherRun;
    const std::vector<Case> cases = {
        {wiff, "/r/lysate3.wiff", "", "", kWiffFeaturesHeader},
        {wiff, "/r/lysate3.wiff", "ICAT-mix", "", kWiffFeaturesHeader + kMixtureColumns},
        {wiff, "/r/lysate3", "", "", kWiffFeaturesHeader},
        {other, "/r/s.d/Analysis.yep", "", "", kFeaturesHeader + kPrecedingScanColumn},
        {other, "/r/s.d/Analysis.wiff", "", "", kFeaturesHeader + kPrecedingScanColumn},
        {other, "/r/s.d/Analysis.yep", "ICAT-mix", "", kFeaturesHeader + kMixtureColumns + kPrecedingScanColumn},
        // Only the last four characters count, and they count exactly.
        {other, "/r/s.d/Analysis.yep", "icat-mix", "", kFeaturesHeader + kMixtureColumns + kPrecedingScanColumn},
        {other, "/r/s.d/Analysis.yep", "-mix", "", kFeaturesHeader + kMixtureColumns + kPrecedingScanColumn},
        {other, "/r/s.d/Analysis.yep", "ICAT-MIX", "", kFeaturesHeader + kPrecedingScanColumn},
        {other, "/r/s.d/Analysis.yep", "mix", "", kFeaturesHeader + kPrecedingScanColumn},
        {wiff, "/r/lysate3.wiff", "ICAT-mix", "Q-Tof Xtractor", kQtofFeaturesHeader},
    };
    for (const Case& c : cases) {
        std::vector<QueryEntry> entries = {{"xtractorDataFilename", c.dataFile}, {"xtractorMode", c.mode}};
        if (!c.cys.empty()) entries.push_back({"cys", c.cys});
        EXPECT_EQ(specFeaturesHeader(readExtractorParameters(entries), c.rows), c.header) << c.dataFile << " " << c.cys;
    }
}

TEST(OutputFiles, LogFolderWithoutSeparatorIsGluedToTheName) {
    TempDir dir;
    openXtractorOutputFiles(readExtractorParameters({{"logFileDir", dir.path() + "/logs"}}), FeaturesRows::otherRun);
    EXPECT_TRUE(fileExists(dir.file("logsrunStats.txt")));
    EXPECT_TRUE(fileExists(dir.file("logsparentChargeCheck.txt")));
}

TEST(OutputFiles, UnopenableLogEndsTheProcess) {
    TempDir dir;
    const ChildResult r = runInChild([&] {
        errno = 0;
        openXtractorOutputFiles(logsIn(dir.path() + "/missing"), FeaturesRows::otherRun);
    });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.output, "\nERROR MESSAGE\n-------------\n\nFile open (fopen) failure.\nFunction: "
                        "openXtractorOutputFiles\nFilename = " + dir.path() + "/missing/parentChargeCheck.txt.\n"
                        "\nSystem error message: No such file or directory.\n");
}

std::size_t count(const std::string& text, const std::string& piece) {
    std::size_t found = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++found;
    return found;
}

TEST(OutputFiles, RowsReachTheFileWholeAndUnchanged) {
    TempDir dir;
    const ExtractorParameters p = logsIn(dir.path(), {{"xtractorDataFilename", "/runs/s7.d/Analysis.yep"}});
    const std::string chargeHeader = "scanNumber\tChargeAssignment";
    const std::string rejectHeader = "spectrumName\tnumScansAfterParent\tRejectReason";
    std::string rows;
    for (int row = 0; row < 6000; ++row) rows += "\ns7." + std::to_string(row) + "\t0\treason";
    {
        XtractorOutputFiles files = openXtractorOutputFiles(p, FeaturesRows::otherRun);
        // A charge-check line is continued by later writes until the next
        // row begins; rows are held until many are complete.
        files.parentChargeCheck.print("\n%s.%04d", "s7", 12);
        files.parentChargeCheck.write("\tz = 2 (512.3)");
        files.parentChargeCheck.print("; \tassigned z = %d", 2);
        files.parentChargeCheck.write("\ns7.0013\tz = 3");
        EXPECT_EQ(readWholeFile(dir.file("parentChargeCheck.txt")), chargeHeader);
        // Once enough are held, the complete ones reach the file, whole.
        files.rejectReasons.write(rows);
        EXPECT_EQ(readWholeFile(dir.file("xtractorRejectReasons.txt")),
                  rejectHeader + rows.substr(0, rows.rfind('\n')));
        // The run's statistics block stays together: it reaches the file when the log closes.
        files.runStats.print("FileName\t%s\n", "s7");
        files.runStats.write("numOutputFiles\t3\n\n");
        EXPECT_EQ(readWholeFile(dir.file("runStats.txt")), "");
    }
    EXPECT_EQ(readWholeFile(dir.file("parentChargeCheck.txt")),
              chargeHeader + "\ns7.0012\tz = 2 (512.3); \tassigned z = 2\ns7.0013\tz = 3");
    EXPECT_EQ(readWholeFile(dir.file("xtractorRejectReasons.txt")), rejectHeader + rows);
    EXPECT_EQ(readWholeFile(dir.file("runStats.txt")), "FileName\ts7\nnumOutputFiles\t3\n\n");
}

// Eight first runs into one empty folder, released at the same moment: each
// log gets one header and every run's row. (Eight whole programs start too
// far apart to meet at the header.)
TEST(OutputFiles, FirstRunsStartingTogetherWriteOneHeaderEach) {
    constexpr int runs = 8;
    for (int attempt = 0; attempt < 25; ++attempt) {
        TempDir dir;
        const ExtractorParameters p = logsIn(dir.path(), {{"xtractorDataFilename", "/runs/s7.d/Analysis.yep"}});
        std::vector<std::function<void()>> bodies;
        for (int k = 0; k < runs; ++k) {
            bodies.push_back([&p, k] {
                XtractorOutputFiles files = openXtractorOutputFiles(p, FeaturesRows::otherRun);
                files.parentChargeCheck.print("\nr%d.0001\tz = 2", k);
                files.rejectReasons.print("\nr%d.0001\t0\treason", k);
                files.specFeatures.print("\nr%d.0001.0001.2.pkl\t1", k);
            });
        }
        for (const ChildResult& r : runInChildrenTogether(bodies)) EXPECT_EQ(r.exitStatus, 0) << r.output;
        const std::string charge = readWholeFile(dir.file("parentChargeCheck.txt"));
        const std::string rejects = readWholeFile(dir.file("xtractorRejectReasons.txt"));
        const std::string features = readWholeFile(dir.file("features.txt"));
        ASSERT_EQ(count(charge, "scanNumber\tChargeAssignment"), 1u) << "attempt " << attempt << ":\n" << charge;
        ASSERT_EQ(count(rejects, "spectrumName\t"), 1u) << "attempt " << attempt << ":\n" << rejects;
        ASSERT_EQ(count(features, "originalSpectrumFile\t"), 1u) << "attempt " << attempt << ":\n" << features;
        EXPECT_EQ(rejects.rfind("spectrumName\tnumScansAfterParent\tRejectReason\n", 0), 0u);
        for (int k = 0; k < runs; ++k) {
            EXPECT_EQ(count(charge, formatText("\nr%d.0001\tz = 2", k)), 1u);
            EXPECT_EQ(count(rejects, formatText("\nr%d.0001\t0\treason", k)), 1u);
            EXPECT_EQ(count(features, formatText("\nr%d.0001.0001.2.pkl\t1", k)), 1u);
        }
    }
}

TEST(OutputFiles, PeakPickerPageGoesToTheResultsFile) {
    TempDir dir;
    openResultsPage(readExtractorParameters({{"output_filename", "page"}, {"resultsXtractorDir", dir.path()}}));
    std::FILE* page = getHtmlStream();
    ASSERT_NE(page, stdout);
    std::fputs("on the page", page);
    std::fclose(page);
    setHtmlStream(stdout);
    EXPECT_EQ(readWholeFile(dir.file("page.htm")), "on the page");
}

}  // namespace
