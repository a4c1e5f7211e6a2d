#include <gtest/gtest.h>

#include <zlib.h>

#include <filesystem>
#include <variant>

#include "platform/msanalysis/ms_analysis.h"
#include "platform/openformat/run_element_id.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

struct Row {
    std::string group, name;
    ComVariant value;
};

std::vector<Row> listParameters(const MSSpectrum& spectrum) {
    const MSParameterCollection parameters = spectrum.getParameters();
    std::vector<Row> rows;
    for (std::int32_t j = 1; j <= parameters.getCount(); ++j) {
        const MSParameter parameter = parameters.getItem(ComVariant(j));
        rows.push_back({parameter.getGroupName(), parameter.getName(), parameter.getValue()});
    }
    return rows;
}

HRESULT codeOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ComError& error) {
        return error.code();
    }
    return S_OK;
}

}  // namespace

TEST(MSAnalysisOnMzML, RunIdentity) {
    TempDir dir;
    writeWholeFile(dir.file("a.mzML"), handWrittenMzML());
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(dir.file("a.mzML")), S_OK) << analysis.openFailureDescription();
    EXPECT_EQ(analysis.getAnalysisName(), "run42");
    EXPECT_EQ(analysis.getOperatorName(), "Ada Operator");
    EXPECT_DOUBLE_EQ(analysis.getAcquisitionDate(), 39462.4375);
    EXPECT_EQ(analysis.getSampleName(), "BSA digest");
    EXPECT_EQ(analysis.getMethodName(), "method7.m");
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
}

TEST(MSAnalysisOnMzML, ParametersInDocumentOrderWithNumbersAndTexts) {
    TempDir dir;
    writeWholeFile(dir.file("a.mzML"), handWrittenMzML());
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(dir.file("a.mzML")), S_OK);
    const std::vector<Row> survey = listParameters(analysis.getSpectra().getItem(1));
    const std::vector<Row> expectedSurvey = {
        {"spectrum", "ms level", 1.0},
        {"spectrum", "MS1 spectrum", std::string()},
        {"spectrum", "note", std::string("survey 12a")},
        {"scan", "scan start time", 0.5},
        {"scanWindow", "scan window lower limit", 300.0},
        {"scanWindow", "scan window upper limit", 2000.0},
    };
    ASSERT_EQ(survey.size(), expectedSurvey.size());
    for (std::size_t i = 0; i < survey.size(); ++i) {
        EXPECT_EQ(survey[i].group, expectedSurvey[i].group) << i;
        EXPECT_EQ(survey[i].name, expectedSurvey[i].name) << i;
        EXPECT_EQ(survey[i].value, expectedSurvey[i].value) << i;
    }

    const std::vector<Row> fragment = listParameters(analysis.getSpectra().getItem(2));
    std::vector<std::string> groups;
    for (const Row& row : fragment) groups.push_back(row.group + ":" + row.name);
    const std::vector<std::string> expectedGroups = {
        "spectrum:ms level", "spectrum:MSn spectrum", "scan:scan start time",
        "isolationWindow:isolation window target m/z", "selectedIon:selected ion m/z", "selectedIon:charge state",
        "activation:collision-induced dissociation", "activation:collision energy",
        "isolationWindow:isolation window target m/z", "activation:collision-induced dissociation"};
    EXPECT_EQ(groups, expectedGroups);

    const MSParameterCollection parameters = analysis.getSpectra().getItem(1).getParameters();
    EXPECT_EQ(codeOf([&] { parameters.getItem(ComVariant(0)); }), E_INVALIDARG);
    EXPECT_EQ(codeOf([&] { parameters.getItem(ComVariant(7)); }), E_INVALIDARG);
    EXPECT_EQ(codeOf([&] { parameters.getItem(ComVariant(1.0)); }), E_INVALIDARG);
}

TEST(MSAnalysisOnMzXML, ScansPrecursorAndNetworkOrderPeaks) {
    TempDir dir;
    writeWholeFile(dir.file("tiny.mzXML"), handWrittenMzXML());
    MSAnalysis analysis;
    ASSERT_EQ(analysis.Open(dir.file("tiny.mzXML")), S_OK) << analysis.openFailureDescription();
    EXPECT_EQ(analysis.getOperatorName(), "");
    EXPECT_EQ(analysis.getSampleName(), "");
    EXPECT_EQ(analysis.getMethodName(), "");
    EXPECT_DOUBLE_EQ(analysis.getAcquisitionDate(), 0.0);
    const MSSpectrumCollection spectra = analysis.getSpectra();
    ASSERT_EQ(spectra.getCount(), 2);
    std::vector<double> mz, intensity;
    std::int32_t count = 0;
    EXPECT_EQ(spectra.getItem(1).getMSOrder(), 0);
    spectra.getItem(1).getData(0, mz, intensity, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(mz, (std::vector<double>{500.5, 501.0}));
    EXPECT_EQ(intensity, (std::vector<double>{250.0, 125.0}));
    EXPECT_EQ(spectra.getItem(2).getMSOrder(), 1);
    spectra.getItem(2).getPrecursor(mz, count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(mz, (std::vector<double>{500.5}));
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
// the file is called and however long its header.
TEST(MSAnalysisRunName, RunElementIdOrParentFileName) {
    TempDir dir;
    const std::string folder = dir.file("s7.d");
    std::filesystem::create_directories(folder);
    const std::string noMzMLId = fixtureMzML({}, "", "", "lysate_run");
    const std::string longHeader = fixtureMzML({}, "", std::string(70000, 'x'), "after a long header");
    std::string mzXML = handWrittenMzXML();
    const std::size_t parent = mzXML.find("<parentFile");
    std::string noParent = mzXML;
    noParent.erase(parent, mzXML.find("/>", parent) + 2 - parent);
    mzXML.replace(mzXML.find("file:///data/tiny.raw"), 21, "file:///C:\\data\\lysate3.wiff");

    struct Case {
        std::string file, content, name;
        bool compress;
    };
    const std::vector<Case> cases = {
        {folder + "/Analysis.mzML", noMzMLId, "lysate_run", false},
        {dir.file("packed.mzML.gz"), noMzMLId, "lysate_run", true},
        {dir.file("long.mzML"), longHeader, "after a long header", false},
        {dir.file("other.mzXML"), mzXML, "lysate3", false},
        {dir.file("bare.mzXML.gz"), noParent, "bare", true},
    };
    for (const Case& c : cases) {
        if (c.compress) {
            gzFile file = gzopen(c.file.c_str(), "wb");
            ASSERT_NE(file, nullptr);
            gzwrite(file, c.content.data(), static_cast<unsigned>(c.content.size()));
            gzclose(file);
        } else {
            writeWholeFile(c.file, c.content);
        }
        MSAnalysis analysis;
        ASSERT_EQ(analysis.Open(c.file == folder + "/Analysis.mzML" ? folder : c.file), S_OK)
            << analysis.openFailureDescription();
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
