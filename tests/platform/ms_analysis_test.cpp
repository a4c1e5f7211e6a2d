#include <gtest/gtest.h>

#include <filesystem>

#include "platform/msanalysis/ms_analysis.h"
#include "platform/openformat/run_element_id.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/temp_dir.h"

// mzXML has no place for the operator, the sample, the method or the date
// (the mzML header is read back in the run reader's description lines).
TEST(MSAnalysisRunIdentity, MzXMLHeaderLeavesThemEmpty) {
    TempDir dir;
    writeWholeFile(dir.file("tiny.mzXML"), handWrittenMzXML());
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(dir.file("tiny.mzXML")), S_OK) << analysis.openFailureDescription();
    EXPECT_EQ(analysis.getAnalysisName() + "|" + analysis.getOperatorName() + "|" + analysis.getSampleName() + "|" +
                  analysis.getMethodName(),
              "tiny|||");
    EXPECT_EQ(analysis.getAcquisitionDate(), 0.0);
}

TEST(MSAnalysisOnMzML, SpectraLevelsPrecursorsAndArrays) {
    TempDir dir;
    writeWholeFile(dir.file("a.mzML"), handWrittenMzML());
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(dir.file("a.mzML")), S_OK) << analysis.openFailureDescription();
    const MSSpectrumCollection spectra = analysis.getSpectra();
    ASSERT_EQ(spectra.getCount(), 3);

    const MSSpectrum survey = spectra.getItem(1);
    EXPECT_EQ(survey.getMSOrder(), 0);
    std::vector<double> precursors{1.0};
    std::int32_t count = -1;
    survey.getPrecursor(precursors, count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(precursors.empty());
    std::vector<double> mz, intensity;
    survey.getData(0, mz, intensity, count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(mz, (std::vector<double>{400.25, 445.25, 445.75}));
    EXPECT_EQ(intensity, (std::vector<double>{1000.0, 25000.5, 12000.0}));

    const MSSpectrum fragment = spectra.getItem(2);
    EXPECT_EQ(fragment.getMSOrder(), 1);
    fragment.getPrecursor(precursors, count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(precursors, (std::vector<double>{445.25, 600.1}));  // selected ion first, else window target
    fragment.getData(0, mz, intensity, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(mz, (std::vector<double>{147.11, 262.14}));

    // No ms level and not an MS1 spectrum: a fragment scan without peaks.
    const MSSpectrum bare = spectra.getItem(3);
    EXPECT_EQ(bare.getMSOrder(), 1);
    bare.getData(0, mz, intensity, count);
    EXPECT_EQ(count, 0);

    EXPECT_EQ(codeOf([&] { spectra.getItem(0); }), E_INVALIDARG);
    EXPECT_EQ(codeOf([&] { spectra.getItem(4); }), E_INVALIDARG);
    EXPECT_EQ(codeOf([&] { survey.getData(1, mz, intensity, count); }), E_NOTIMPL);
    // The first spectrum's parameters are the run reader's description lines;
    // a run may open with a fragment scan, whose precursor groups come in
    // document order.
    const MSParameterCollection parameters = fragment.getParameters();
    std::string listed;
    for (std::int32_t j = 1; j <= parameters.getCount(); ++j) {
        const MSParameter parameter = parameters.getItem(ComVariant(j));
        listed += parameter.getGroupName() + ":" + parameter.getName() + " ";
    }
    EXPECT_EQ(listed,
              "spectrum:ms level spectrum:MSn spectrum scan:scan start time isolationWindow:isolation window target m/z "
              "selectedIon:selected ion m/z selectedIon:charge state activation:collision-induced dissociation "
              "activation:collision energy isolationWindow:isolation window target m/z "
              "activation:collision-induced dissociation ");
    EXPECT_EQ(codeOf([&] { parameters.getItem(ComVariant(0)); }), E_INVALIDARG);
    EXPECT_EQ(codeOf([&] { parameters.getItem(ComVariant(11)); }), E_INVALIDARG);
    EXPECT_EQ(codeOf([&] { parameters.getItem(ComVariant(1.0)); }), E_INVALIDARG);
}

TEST(MSAnalysisOpen, ResolvesTheRunFolderAndTheExportFile) {
    TempDir dir;
    const std::string folder = dir.file("s7.d");
    std::filesystem::create_directories(folder);
    // Exact names come first: Analysis.mzML before a differently cased name.
    writeWholeFile(folder + "/analysis.MZML", handWrittenMzXML());
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(folder + "/"), S_OK) << analysis.openFailureDescription();
    EXPECT_EQ(analysis.getSpectra().getCount(), 2);  // any case when no exact name

    writeWholeFile(folder + "/Analysis.mzML", handWrittenMzML());
    ASSERT_EQ(analysis.Open(folder), S_OK);
    EXPECT_EQ(analysis.getSpectra().getCount(), 3);

    // A backslash separates as well as a slash.
    ASSERT_EQ(analysis.Open(dir.path() + "\\s7.d\\"), S_OK);
    EXPECT_EQ(analysis.getSpectra().getCount(), 3);

    writeWholeFile(dir.file("other.MZXML"), handWrittenMzXML());
    ASSERT_EQ(analysis.Open(dir.file("other.MZXML")), S_OK);
    EXPECT_EQ(analysis.getSpectra().getCount(), 2);
}

TEST(MSAnalysisOpen, NothingFoundAndUnopenedAnalysis) {
    TempDir dir;
    MSAnalysis analysis;
    EXPECT_EQ(analysis.Open(dir.file("missing.d")), E_FILENOTFOUND);
    EXPECT_NE(analysis.openFailureDescription().find("missing.d"), std::string::npos);
    EXPECT_EQ(analysis.Open(dir.path()), E_FILENOTFOUND);
    EXPECT_NE(analysis.openFailureDescription().find("Analysis.mzML"), std::string::npos);
    EXPECT_EQ(analysis.Open(dir.file("gone.mzML.gz")), E_FILENOTFOUND);
    EXPECT_EQ(codeOf([&] { analysis.getSpectra(); }), E_FAIL);
    EXPECT_EQ(codeOf([&] { analysis.getAnalysisName(); }), E_FAIL);
}

// Without an id on the mzML element the converter library names the run
// after the file ("Analysis"); the name is the run element's id whatever
// the file is called, however long its header, compressed or not.
TEST(MSAnalysisRunName, RunElementIdOrParentFileName) {
    TempDir dir;
    FixtureSpectrum survey;
    survey.id = "scan=1";
    survey.params = msLevel(1);
    const std::vector<FixtureSpectrum> one = {survey};
    const std::string noMzMLId = fixtureMzML(one, "", "", "lysate_run");
    const std::string longHeader = fixtureMzML(one, "", std::string(70000, 'x'), "after a long header");
    std::string mzXML = handWrittenMzXML();
    const std::size_t parent = mzXML.find("<parentFile");
    std::string noParent = mzXML;
    noParent.erase(parent, mzXML.find("/>", parent) + 2 - parent);
    mzXML.replace(mzXML.find("file:///data/tiny.raw"), 21, "file:///C:\\data\\lysate3.wiff");

    struct Case {
        std::string file, content, opened, name;
    };
    const std::vector<Case> cases = {
        {"s7.d/Analysis.mzML", noMzMLId, "s7.d", "lysate_run"},
        {"s8.d/Analysis.mzML.gz", noMzMLId, "s8.d", "lysate_run"},
        {"long.mzML", longHeader, "long.mzML", "after a long header"},
        {"other.mzXML", mzXML, "other.mzXML", "lysate3"},
        {"bare.mzXML.gz", noParent, "bare.mzXML.gz", "bare"},
    };
    for (const Case& c : cases) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(c.file)).parent_path());
        if (c.file.ends_with(".gz")) {
            writeGzip(dir.file(c.file), c.content);
        } else {
            writeWholeFile(dir.file(c.file), c.content);
        }
        MSAnalysis analysis;
        ASSERT_EQ(analysis.Open(dir.file(c.opened)), S_OK) << analysis.openFailureDescription();
        EXPECT_EQ(analysis.getAnalysisName(), c.name) << c.file;
    }
}

TEST(MSAnalysisRunName, RunStartTagFoundInTheText) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {R"(<mzML><run id="r1">)", "r1"},
        {"<run\n  defaultInstrumentConfigurationRef=\"IC1\"\n  id = 'a&amp;b&lt;c'>", "a&b<c"},
        {R"(<runList/><run sampleRef="s" userid="u" id="v">)", "v"},
        {R"(<run sampleRef="s">)", std::nullopt},
        {R"(<run id="cut)", std::nullopt},
        {R"(<run id="cut")", std::nullopt},
        {R"(<spectrumList count="0"/><run id="late">)", std::nullopt},
        {R"(<msRun id="m">)", std::nullopt},
    };
    for (const auto& [text, id] : cases) EXPECT_EQ(findRunElementId(text), id) << text;
}
