// The four logs: where they go, when they get their header, which header.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/extractor/extractor_parameters.h"
#include "core/extractor/output_files.h"
#include "core/util/html_page.h"
#include "tests/support/startup_fixture.h"

namespace {

const std::string otherRunHeader =
    "originalSpectrumFile\tscanNumber\tnumPeaks\tnumOriginalPeaks\tselected_parent_m_over_z\tparent_m_over_z"
    "\tparent_m_over_z_centroid\tparent_M_plus_H\tparent_charge\tnumScansAfterParent\tmaxIntensity\ttotalIntensity"
    "\tnoiseMean\tnoiseStandardDeviation\tparentSignalNoise\tMaxToTotalIntensityRatio\ttotalOriginalIntensity"
    "\tBYpairs\tmaxSequenceTagLength\tmaxSequenceTag\txtractorCys";
const std::string mixtureColumns = "\tICATlightIntensity\tICATheavyIntensity\tICATlightIntensity2\tICATheavyIntensity2";
const std::string wiffHeader =
    "originalSpectrumFile\tscanNumber\tnumPeaks\tnumOriginalPeaks\tnumProfilePeaks\tselected_parent_m_over_z"
    "\tparent_m_over_z\tparent_M_plus_H\tparent_charge\tcollisionEnergy\ttotalIntensity\tnoiseMean"
    "\tnoiseStandardDeviation\tMaxToTotalIntensityRatio\tmaxIntensity\ttotalOriginalIntensity\tBYpairs"
    "\tmaxSequenceTagLength\tmaxSequenceTag\txtractorCys";
const std::string qtofHeader =
    "originalSpectrumFile\tnumPeaks\tnumOriginalPeaks\tparent_m_over_z\tparent_M_plus_H\tparent_charge"
    "\tmaxIntensity\ttotalIntensity\tnoiseMean\tnoiseStandardDeviation\tMaxToTotalIntensityRatio"
    "\ttotalOriginalIntensity\tBYpairs\tmaxSequenceTagLength\tmaxSequenceTag";

std::string logQuery(const TempDir& dir, const std::string& more) {
    return "logFileDir=" + dir.path() + "/logs/&specFeaturesFilename=features.txt&" + more;
}

std::string featuresHeaderFor(const std::string& more) {
    TempDir dir;
    dir.installParameterFiles();
    std::filesystem::create_directory(dir.file("logs"));
    const ChildResult r = startUpAndRun(dir, logQuery(dir, more));
    EXPECT_EQ(r.exitStatus, 0) << r.output;
    return readWholeFile(dir.file("logs/features.txt"));
}

TEST(OutputFiles, FirstRunWritesHeadersSecondRunAppendsOnly) {
    TempDir dir;
    dir.installParameterFiles();
    std::filesystem::create_directory(dir.file("logs"));
    const std::string query = logQuery(dir, "xtractorDataFilename=/runs/s7.d/Analysis.yep");
    for (int run = 0; run < 2; ++run) {
        const ChildResult r = startUpAndRun(dir, query, [] {
            std::fprintf(getRejectReasonsStream(), "\nrow");
            std::fprintf(getRunStatsStream(), "stats\n");
        });
        ASSERT_EQ(r.exitStatus, 0) << r.output;
        EXPECT_EQ(r.output, "");
    }
    EXPECT_EQ(readWholeFile(dir.file("logs/parentChargeCheck.txt")), "scanNumber\tChargeAssignment");
    EXPECT_EQ(readWholeFile(dir.file("logs/xtractorRejectReasons.txt")),
              "spectrumName\tnumScansAfterParent\tRejectReason\nrow\nrow");
    EXPECT_EQ(readWholeFile(dir.file("logs/features.txt")), otherRunHeader + "\tnoiseMeanInPrecedingMSscan");
    EXPECT_EQ(readWholeFile(dir.file("logs/runStats.txt")), "stats\nstats\n");
}

TEST(OutputFiles, ExistingEmptyFileGetsItsHeaderAndAFullOneDoesNot) {
    TempDir dir;
    dir.installParameterFiles();
    std::filesystem::create_directory(dir.file("logs"));
    writeWholeFile(dir.file("logs/xtractorRejectReasons.txt"), "");
    writeWholeFile(dir.file("logs/parentChargeCheck.txt"), "old content");
    ASSERT_EQ(startUpAndRun(dir, logQuery(dir, "")).exitStatus, 0);
    EXPECT_EQ(readWholeFile(dir.file("logs/xtractorRejectReasons.txt")),
              "spectrumName\tnumScansAfterParent\tRejectReason");
    EXPECT_EQ(readWholeFile(dir.file("logs/parentChargeCheck.txt")), "old content");
}

TEST(OutputFiles, FeaturesHeaderFollowsModeDataFileAndMixture) {
    EXPECT_EQ(featuresHeaderFor("xtractorDataFilename=/r/lysate3.wiff"), wiffHeader);
    EXPECT_EQ(featuresHeaderFor("xtractorDataFilename=/r/lysate3.wiff&cys=ICAT-mix"), wiffHeader + mixtureColumns);
    EXPECT_EQ(featuresHeaderFor("xtractorDataFilename=wiff"), wiffHeader);
    EXPECT_EQ(featuresHeaderFor("xtractorDataFilename=/r/s.d/Analysis.yep&cys=ICAT-mix"),
              otherRunHeader + mixtureColumns + "\tnoiseMeanInPrecedingMSscan");
    EXPECT_EQ(featuresHeaderFor("xtractorDataFilename=/r/lysate3.wiff&xtractorMode=Q-Tof+Xtractor&cys=ICAT-mix"),
              qtofHeader);
}

TEST(OutputFiles, MixtureColumnsNeedTheLowerCaseEnding) {
    const auto headerFor = [](const std::string& cys) {
        setExtractorParameterDefaults();
        readExtractorParameters({{"xtractorDataFilename", "/r/s.d/Analysis.yep"}, {"cys", cys}});
        return specFeaturesHeader();
    };
    EXPECT_EQ(headerFor("ICAT-mix"), otherRunHeader + mixtureColumns + "\tnoiseMeanInPrecedingMSscan");
    EXPECT_EQ(headerFor("icat-mix"), otherRunHeader + mixtureColumns + "\tnoiseMeanInPrecedingMSscan");
    EXPECT_EQ(headerFor("ICAT-MIX"), otherRunHeader + "\tnoiseMeanInPrecedingMSscan");
    EXPECT_EQ(headerFor("-mix"), otherRunHeader + mixtureColumns + "\tnoiseMeanInPrecedingMSscan");
    EXPECT_EQ(headerFor("mix"), otherRunHeader + "\tnoiseMeanInPrecedingMSscan");
}

TEST(OutputFiles, LogFolderWithoutSeparatorIsGluedToTheName) {
    TempDir dir;
    dir.installParameterFiles();
    ASSERT_EQ(startUpAndRun(dir, "logFileDir=" + dir.path() + "/logs").exitStatus, 0);
    EXPECT_TRUE(fileExists(dir.file("logsrunStats.txt")));
    EXPECT_TRUE(fileExists(dir.file("logsparentChargeCheck.txt")));
}

TEST(OutputFiles, UnopenableLogIsFatal) {
    TempDir dir;
    dir.installParameterFiles();
    const ChildResult r = startUpAndRun(dir, "logFileDir=" + dir.path() + "/missing/");
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.output.find("File open (fopen) failure.\n<BR>Function: openXtractorOutputFiles\n<BR>Filename = " +
                            dir.path() + "/missing/parentChargeCheck.txt.\n<BR>System error message: No such file or "
                            "directory.\n<BR></BODY>"),
              std::string::npos)
        << r.output;
}

TEST(OutputFiles, PeakPickerModeSendsThePageToTheResultsFile) {
    TempDir dir;
    dir.installParameterFiles();
    std::filesystem::create_directory(dir.file("logs"));
    const ChildResult r = startUpAndRun(
        dir, logQuery(dir, "xtractorMode=Peak-Picker&output_filename=page&resultsXtractorDir=" + dir.path()),
        [] { std::fprintf(getHtmlStream(), "on the page"); });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(readWholeFile(dir.file("page.htm")), "on the page");
    // The logs are open as well, so the stages never write to a closed stream.
    EXPECT_TRUE(fileExists(dir.file("logs/runStats.txt")));
}

TEST(MixtureMassDifference, NamedReagentPairs) {
    TempDir dir;
    dir.installParameterFiles();
    const auto differenceFor = [&](const std::string& cys) {
        const ChildResult r = startUpAndRun(dir, "logFileDir=" + dir.path() + "/&cys=" + cys, [] {
            double difference = -1.0;
            const int status = mixtureMassDifference(difference);
            std::printf("%d %.5f", status, difference);
        });
        EXPECT_EQ(r.exitStatus, 0) << r.output;
        return r.output;
    };
    EXPECT_EQ(differenceFor("ICAT-mix"), "0 8.05021");
    EXPECT_EQ(differenceFor("cICAT-mix"), "0 9.03019");
    EXPECT_EQ(differenceFor("leuCAT-mix"), "0 6.02013");
    EXPECT_EQ(differenceFor("N-ethyl-acetamide-mix"), "0 5.03138");
}

}  // namespace
