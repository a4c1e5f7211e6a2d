#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "core/util/format_text.h"
#include "platform/analyst/experiment_trace.h"
#include "platform/analyst/spectrum_data.h"
#include "platform/analyst/wiff_application.h"
#include "tests/platform/export_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string qstarElite = msTerm("MS:1000655", "QSTAR Elite");
const std::string qtrap4000 = msTerm("MS:1000139", "4000 QTRAP");
const std::string scanTypeCode = "scan type code";

FixtureSpectrum spectrum(const std::string& id, const std::string& params, double seconds = 1.0) {
    FixtureSpectrum result;
    result.id = id;
    result.params = params;
    result.seconds = seconds;
    return result;
}

std::string at(int cycle, int experiment) {
    return "sample=1 period=1 cycle=" + std::to_string(cycle) + " experiment=" + std::to_string(experiment);
}

// The export run.mzML in a folder of its own, opened as the run.wiff beside it.
struct OpenedRun {
    explicit OpenedRun(const std::string& mzML) : path(written(dir, mzML)), file(WiffApplication().openWiff(path, 1)) {}
    static std::string written(const TempDir& dir, const std::string& mzML) {
        writeWholeFile(dir.file("run.mzML"), mzML);
        return dir.file("run.wiff");
    }
    TempDir dir;
    std::string path;
    WiffFileData file;
};

std::vector<double> traceOf(const OpenedRun& run, int period, int experiment) {
    ExperimentTrace trace;
    trace.setWiffFileName(run.path);
    trace.selectExperiment(1, period, experiment);
    std::vector<double> values;
    for (std::int32_t c = 1; c <= trace.numberOfDataPoints(); ++c) values.push_back(trace.yValue(c));
    EXPECT_EQ(trace.numberOfDataPoints(), run.file.numberOfCycles(1, period));
    return values;
}

}  // namespace

// The generated runs give the families' plain survey and product types and
// written codes; here the other terms, levels and codes.
TEST(AnalystScanType, CodeTermOrLevelByInstrumentFamily) {
    struct Case {
        const char* what;
        std::string model, params;
        std::int16_t expected;
    };
    const std::vector<Case> cases = {
        {"QTRAP survey", qtrap4000, msLevel(1), 15},
        {"QTRAP product", qtrap4000, msLevel(2), 11},
        {"other survey", "", msLevel(1), 0},
        {"other product", "", msLevel(2), 6},
        {"MS3", qstarElite, msLevel(3), 13},
        {"no level, MS1 spectrum", qtrap4000, msTerm("MS:1000579", "MS1 spectrum"), 15},
        {"no level at all", qtrap4000, "", 11},
        {"precursor ion", qtrap4000, msLevel(2) + msTerm("MS:1000341", "precursor ion spectrum"), 5},
        {"neutral loss", qtrap4000, msLevel(2) + msTerm("MS:1000326", "constant neutral loss spectrum"), 7},
        {"SRM", qtrap4000, msLevel(2) + msTerm("MS:1000583", "SRM spectrum"), 4},
        {"SIM", qstarElite, msLevel(1) + msTerm("MS:1000582", "SIM spectrum"), 1},
        {"code before term", qtrap4000, msLevel(2) + msTerm("MS:1000326", "constant neutral loss spectrum") +
                                            userParam(scanTypeCode, "4"), 4},
        {"negative code", qstarElite, msLevel(1) + userParam(scanTypeCode, "-3"), -3},
        {"highest 16-bit code", qstarElite, msLevel(1) + userParam(scanTypeCode, "+32767"), 32767},
        {"lowest 16-bit code", qstarElite, msLevel(1) + userParam(scanTypeCode, "-32768"), -32768},
        {"code not an integer", qstarElite, msLevel(1) + userParam(scanTypeCode, "12a"), 8},
    };
    for (const Case& c : cases) {
        const OpenedRun run(fixtureMzML({spectrum(at(1, 1), c.params)}, c.model));
        EXPECT_EQ(run.file.periodInfo(1, 0).experimentInfo(0).scanType(), c.expected) << c.what;
    }
}

// 4000 QTRAP by its own term is the generated runs'.
TEST(AnalystInstrument, ModelCodeFromTheModelName) {
    struct Case {
        std::string params;
        std::int32_t code;
        const char* name;
    };
    const std::vector<Case> cases = {
        {qstarElite, 2000, "QSTAR Elite"},
        {msTerm("MS:1000931", "QTRAP 5500"), 14, "QTRAP 5500"},
        {msTerm("MS:1000031", "instrument model", "SCIEX 4000 QTRAP"), 13, "SCIEX 4000 QTRAP"},
        {msTerm("MS:1000031", "instrument model", "API 4000"), 0, "API 4000"},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        const InstrumentInfo info =
            OpenedRun(fixtureMzML({spectrum(at(1, 1), msLevel(1))}, c.params)).file.acquisitionInfo(1).instrumentInfo();
        EXPECT_EQ(info.modelCode, c.code) << c.name;
        EXPECT_EQ(info.modelName, c.name);
    }
    // mzXML names the model in msModel, also one the vocabulary does not know.
    TempDir dir;
    std::string mzXML = handWrittenMzXML();
    mzXML.replace(mzXML.find("value=\"LTQ\""), 11, "value=\"Custom QTRAP X\"");
    writeWholeFile(dir.file("x.mzXML"), mzXML);
    EXPECT_EQ(WiffApplication().openWiff(dir.file("x.wiff"), 1).acquisitionInfo(1).instrumentInfo().modelCode, 14);
}

TEST(AnalystLayout, IdsWithoutKeysMakeACycleOfEachLevelOneSpectrum) {
    struct Case {
        std::vector<int> levels;  // spectrum i has total ion current 100 (i + 1)
        std::vector<std::vector<double>> traces;  // per experiment, per cycle
    };
    const std::vector<Case> cases = {
        // The two leading spectra form a cycle without its survey scan.
        {{2, 2, 1, 2, 1, 2, 2, 2}, {{0, 300, 500}, {100, 400, 600}, {200, 0, 700}, {0, 0, 800}}},
        {{1, 2, 2, 1, 2}, {{100, 400}, {200, 500}, {300, 0}}},
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const std::vector<int>& levels = cases[k].levels;
        std::vector<FixtureSpectrum> spectra;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            spectra.push_back(spectrum("scan=" + std::to_string(i + 1),
                                       msLevel(levels[i]) + msTerm("MS:1000285", "total ion current", std::to_string(100 * (i + 1)))));
        }
        const OpenedRun run(fixtureMzML(spectra, qstarElite));
        const std::vector<std::vector<double>>& traces = cases[k].traces;
        ASSERT_EQ(run.file.numberOfPeriods(1), 1);
        ASSERT_EQ(run.file.numberOfCycles(1, 0), static_cast<std::int32_t>(traces.front().size())) << k;
        ASSERT_EQ(run.file.numberOfExperiments(1, 0), static_cast<std::int32_t>(traces.size())) << k;
        for (std::size_t j = 0; j < traces.size(); ++j) {
            EXPECT_EQ(traceOf(run, 0, static_cast<int>(j)), traces[j]) << k << " " << j;
            EXPECT_EQ(run.file.periodInfo(1, 0).experimentInfo(static_cast<std::int32_t>(j)).scanType(), j == 0 ? 8 : 9);
        }
    }
}

TEST(AnalystLayout, PeriodsCyclesAndExperimentsFromTheIds) {
    const std::string tic = "total ion current";
    const OpenedRun run(
        fixtureMzML({spectrum("period=2 cycle=1 experiment=1", msLevel(1) + msTerm("MS:1000285", tic, "5")),
                     spectrum("cycle=2 experiment=3", msLevel(2) + msTerm("MS:1000285", tic, "7"), 42.5),
                     spectrum("period=1 cycle=1 experiment=1", msLevel(1) + msTerm("MS:1000285", tic, "9")),
                     spectrum("cycle=2 experiment=1", msLevel(1) + msTerm("MS:1000285", tic, "4"))},
                    qstarElite));
    ASSERT_EQ(run.file.numberOfPeriods(1), 2);
    EXPECT_EQ(run.file.numberOfExperiments(1, 0), 3);
    EXPECT_EQ(run.file.numberOfCycles(1, 0), 2);
    EXPECT_EQ(run.file.numberOfExperiments(1, 1), 1);
    EXPECT_EQ(run.file.numberOfCycles(1, 1), 1);
    EXPECT_EQ(run.file.periodInfo(1, 0).experimentInfo(1).scanType(), -1);  // no spectrum of experiment 2
    EXPECT_EQ(traceOf(run, 0, 0), (std::vector<double>{9, 4}));
    EXPECT_EQ(traceOf(run, 0, 2), (std::vector<double>{0, 7}));
    EXPECT_EQ(traceOf(run, 1, 0), (std::vector<double>{5}));
    EXPECT_FLOAT_EQ(run.file.cycleTime(1, 0, 2, 1), 42.5f);
    EXPECT_FLOAT_EQ(run.file.cycleTime(1, 0, 2, 0), 0.0f);  // skipped scan
}

TEST(AnalystSpectrum, DescriptionAndTotalIonCurrent) {
    struct Case {
        std::string params, precursor, description;
        double totalIonCurrent;
    };
    const auto tic = [](const std::string& value) { return msTerm("MS:1000285", "total ion current", value); };
    const std::vector<Case> cases = {
        {msLevel(1) + tic("1234.5"), "", "TOF MS", 1234.5},
        {msLevel(2) + tic("n/a"), precursorElement(500.25, std::nullopt, std::nullopt, std::nullopt), "Product (500.2500) CE (0)",
         3.0},
        {msLevel(2) + tic("1e3"), precursorElement(std::nullopt, std::nullopt, 445.3, 27.5), "Product (445.3000) CE (27.5)",
         1000.0},
        {msLevel(2), precursorElement(445.25, "3", 445.3, std::nullopt), "Product (445.2500) CE (0): Charge (+3)", 3.0},
        {msLevel(2), "", "Product (N/A) CE (0)", 3.0},
        {msLevel(2), precursorElement(std::nullopt, "2", std::nullopt, std::nullopt), "Product (N/A) CE (0): Charge (+2)", 3.0},
        {msLevel(2), precursorElement(700.0, "2.0", std::nullopt, 30.0), "Product (700.0000) CE (30): Charge (+2)", 3.0},
        {msLevel(2), precursorElement(700.0, "unknown", std::nullopt, 30.0), "Product (700.0000) CE (30)", 3.0},
        {msLevel(2), precursorElement(700.0, "", std::nullopt, 30.0), "Product (700.0000) CE (30)", 3.0},
        {msLevel(3), precursorElement(300.1, "1", std::nullopt, 40.0), "Product (300.1000) CE (40): Charge (+1)", 3.0},
    };
    std::vector<FixtureSpectrum> spectra;
    for (std::size_t j = 0; j < cases.size(); ++j) {
        spectra.push_back(spectrum(at(1, static_cast<int>(j + 1)), cases[j].params, static_cast<double>(j)));
        spectra.back().precursor = cases[j].precursor;
    }
    const OpenedRun run(fixtureMzML(spectra, qstarElite));
    SpectrumData data;
    data.setWiffFileName(run.path);
    for (std::size_t j = 0; j < cases.size(); ++j) {
        const auto experiment = static_cast<std::int32_t>(j);
        const float time = run.file.cycleTime(1, 0, experiment, 0);
        data.selectSpectrum(1, 0, experiment, time, time);
        EXPECT_EQ(data.description(), cases[j].description) << j;
        EXPECT_EQ(traceOf(run, 0, experiment), std::vector<double>{cases[j].totalIonCurrent}) << j;
    }
}

TEST(AnalystSpectrum, SelectsTheNearestWithinAThousandthOfASecond) {
    // File order is not cycle order: of two spectra at the same time the
    // first in the file wins.
    const std::vector<std::pair<std::string, double>> placed = {
        {at(2, 1), 10.0}, {at(1, 1), 10.0}, {at(3, 1), 20.0}, {at(4, 1), 30.0}, {at(5, 1), 30.0015}};
    std::vector<FixtureSpectrum> spectra;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        spectra.push_back(spectrum(placed[i].first, msLevel(1), placed[i].second));
        spectra.back().intensity = {static_cast<double>(i + 1), 0.5};
    }
    const OpenedRun run(fixtureMzML(spectra, qstarElite));
    EXPECT_FLOAT_EQ(run.file.cycleTime(1, 0, 0, 0), 10.0f);
    EXPECT_FLOAT_EQ(run.file.cycleTime(1, 0, 0, 2), 20.0f);

    struct Case {
        float time;
        double firstIntensity;  // which spectrum; 0 for an empty selection
    };
    const std::vector<Case> cases = {{10.0f, 1},    {10.0009f, 1}, {9.9991f, 1},  {10.0011f, 0}, {19.9995f, 3},
                                     {30.0007f, 4}, {30.0009f, 5}, {30.0026f, 0}, {25.0f, 0},     {10.0f, 1}};
    SpectrumData data;
    data.setWiffFileName(run.path);
    for (const Case& c : cases) {
        data.selectSpectrum(1, 0, 0, c.time, c.time);
        if (c.firstIntensity == 0) {
            EXPECT_EQ(data.numberOfDataPoints(), 0) << c.time;
            EXPECT_EQ(data.description(), "") << c.time;
        } else {
            ASSERT_EQ(data.numberOfDataPoints(), 2) << c.time;
            EXPECT_EQ(data.yValue(1), c.firstIntensity) << c.time;
            EXPECT_EQ(data.description(), "TOF MS");
        }
    }
}

// The samples in order, by the sample their ids name, and the exports not
// read, each named with the reason. runner, Run, run_x and run-e.txt are
// no exports of run.wiff.
TEST(AnalystFiles, SamplesChosenByTheirIdsAndNames) {
    struct Case {
        std::vector<std::array<std::string, 3>> exports;  // file, first id, sample name
        std::vector<std::string> samples;
        std::vector<std::string> notRead;
    };
    const std::string a = " cycle=1 experiment=1";
    const std::vector<Case> cases = {
        {{{"run-b.mzML", "sample=2" + a, "B"}, {"run-a.mzML", "sample=2" + a, "A"}, {"run-c.mzML", "sample=1" + a, "C"},
          {"run-p.mzML", "scan=1", "P"}, {"run-0.mzML", "scan=1", "Z"}, {"run-d.MZML.GZ", "sample=3" + a, "D"},
          {"runner.mzML", "sample=1 scan=1", "X"}, {"Run.mzML", "sample=1 scan=1", "X"},
          {"run_x.mzML", "sample=1 scan=1", "X"}, {"run-e.txt", "sample=1 scan=1", "X"}},
         {"C", "A", "D", "Z", "P"},
         {"run-b.mzML is not read: its spectrum ids name sample 2, which run-a.mzML holds."}},
        {{{"run.mzML", "sample=1" + a, "R"}, {"run-rerun.mzML", "sample=1" + a, "X"}, {"run-2.mzML", "sample=2" + a, "Y"}},
         {"R"},
         {"run-2.mzML is not read: run.mzML, named after the .wiff file alone, holds its only sample.",
          "run-rerun.mzML is not read: run.mzML, named after the .wiff file alone, holds its only sample."}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const auto& [file, id, sample] : c.exports) {
            const std::string mzML = fixtureMzML({spectrum(id, msLevel(1))}, qstarElite, sample);
            file.ends_with(".GZ") ? writeGzip(dir.file(file), mzML) : writeWholeFile(dir.file(file), mzML);
        }
        const WiffFileData data = WiffApplication().openWiff(dir.path() + "\\run.wiff", 1);
        std::vector<std::string> samples;
        for (std::int32_t s = 1; s <= data.numberOfSamples(); ++s) samples.push_back(data.sampleName(s));
        EXPECT_EQ(samples, c.samples);
        EXPECT_EQ(data.exportWarnings(), c.notRead);
    }
}

// An export that holds several samples of the file is each of them, laid
// out from its own spectra; of a sample that two exports hold the first in
// name order is read, also when that one holds other samples too.
TEST(AnalystFiles, AnExportOfSeveralSamplesIsEachOfThem) {
    const auto twoSamples = [](const std::string& sampleList) {
        std::vector<FixtureSpectrum> spectra;
        for (const int sample : {1, 2}) {
            for (const int cycle : {1, 2, 3}) {
                const std::string id = formatText("sample=%d period=1 cycle=%d experiment=1", sample, cycle);
                spectra.push_back(spectrum(id, msLevel(1) + msTerm("MS:1000285", "total ion current",
                                                                       std::to_string(10 * sample + cycle)),
                                           100.0 * sample + cycle));
            }
        }
        return replaced(fixtureMzML(spectra, qstarElite, "S1"), "<sampleList count=\"1\"><sample id=\"S1\" name=\"S1\"/>",
                        sampleList);
    };
    const std::string listingBoth = "<sampleList count=\"2\"><sample id=\"S1\" name=\"Liver\"/><sample id=\"S2\" name=\"Lung\"/>";
    const std::string listingOne = "<sampleList count=\"1\"><sample id=\"S1\" name=\"Both\"/>";
    const std::string second = fixtureMzML({spectrum("sample=2 cycle=1 experiment=1", msLevel(1))}, qstarElite, "Apart");
    struct Case {
        std::vector<std::pair<std::string, std::string>> exports;
        std::vector<std::string> samples;
        std::vector<std::string> notRead;
    };
    const std::vector<Case> cases = {
        {{{"run.mzML", twoSamples(listingBoth)}}, {"Liver", "Lung"}, {}},
        {{{"run-a.mzML", twoSamples(listingOne)}, {"run-b.mzML", second}},
         {"Both", "Both"},
         {"run-b.mzML is not read: its spectrum ids name sample 2, which run-a.mzML holds."}},
        {{{"run-z.mzML", twoSamples(listingOne)}, {"run-b.mzML", second}},
         {"Both", "Apart"},
         {"Sample 2 of run-z.mzML is not read: run-b.mzML holds that sample."}},
        {{{"run.mzML", twoSamples(listingBoth)}, {"run-b.mzML", second}},
         {"Liver", "Lung"},
         {"run-b.mzML is not read: run.mzML, named after the .wiff file alone, holds its samples."}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const auto& [file, text] : c.exports) writeWholeFile(dir.file(file), text);
        const WiffFileData data = WiffApplication().openWiff(dir.path() + "/run.wiff", 1);
        std::vector<std::string> samples;
        for (std::int32_t s = 1; s <= data.numberOfSamples(); ++s) samples.push_back(data.sampleName(s));
        EXPECT_EQ(samples, c.samples);
        EXPECT_EQ(data.exportWarnings(), c.notRead);
    }
    // Each sample has the cycles, times and traces of its own spectra only.
    TempDir dir;
    writeWholeFile(dir.file("run.mzML"), twoSamples(listingBoth));
    const WiffFileData data = WiffApplication().openWiff(dir.file("run.wiff"), 1);
    for (const std::int32_t s : {1, 2}) {
        SCOPED_TRACE(s);
        EXPECT_EQ(data.numberOfPeriods(s), 1);
        EXPECT_EQ(data.numberOfCycles(s, 0), 3);
        EXPECT_EQ(data.numberOfExperiments(s, 0), 1);
        EXPECT_FLOAT_EQ(data.cycleTime(s, 0, 0, 1), static_cast<float>(100 * s + 2));
        ExperimentTrace trace;
        trace.setWiffFileName(dir.file("run.wiff"));
        trace.selectExperiment(s, 0, 0);
        ASSERT_EQ(trace.numberOfDataPoints(), 3);
        EXPECT_EQ(trace.yValue(3), 10.0 * s + 3);
    }
}

// An export of the MS/MS spectra only, or of a part of a run, keeps the
// instrument's numbers: far higher than the spectra it holds.
TEST(AnalystLayout, IdNumbersAreLabels) {
    const std::string tic = "total ion current";
    const OpenedRun run(fixtureMzML({spectrum("period=3 cycle=1000000 experiment=2", msLevel(2) + msTerm("MS:1000285", tic, "5"), 7.5),
                                     spectrum("period=3 cycle=1181 experiment=4", msLevel(2) + msTerm("MS:1000285", tic, "6")),
                                     spectrum("cycle=2147483647 experiment=10000", msLevel(2))},
                                    qstarElite));
    ASSERT_EQ(run.file.numberOfPeriods(1), 3);
    EXPECT_EQ(run.file.numberOfCycles(1, 0), 2147483647);
    EXPECT_EQ(run.file.numberOfExperiments(1, 0), 10000);
    EXPECT_EQ(run.file.cyclesWithSpectra(1, 0), std::vector<std::int32_t>{2147483646});
    EXPECT_EQ(run.file.cyclesWithSpectra(1, 2), (std::vector<std::int32_t>{1180, 999999}));
    EXPECT_EQ(run.file.numberOfCycles(1, 1), 0);  // no spectra in period 2
    EXPECT_EQ(run.file.numberOfExperiments(1, 1), 0);
    EXPECT_EQ(run.file.numberOfCycles(1, 2), 1000000);
    EXPECT_EQ(run.file.numberOfExperiments(1, 2), 4);
    const PeriodInfo period = run.file.periodInfo(1, 2);
    EXPECT_EQ(period.experimentInfo(0).scanType(), -1);
    EXPECT_EQ(period.experimentInfo(1).scanType(), 9);
    EXPECT_EQ(period.experimentInfo(3).scanType(), 9);
    ExperimentTrace trace;
    trace.setWiffFileName(run.path);
    trace.selectExperiment(1, 2, 1);
    ASSERT_EQ(trace.numberOfDataPoints(), 1000000);
    EXPECT_EQ(trace.yValue(1000000), 5.0);
    EXPECT_EQ(trace.yValue(1181), 0.0);
    EXPECT_FLOAT_EQ(run.file.cycleTime(1, 2, 1, 999999), 7.5f);
    EXPECT_FLOAT_EQ(run.file.cycleTime(1, 2, 3, 1180), 1.0f);
}

TEST(AnalystErrors, OpeningFailsBeforeAnySampleIsRead) {
    const std::string good = fixtureMzML({spectrum(at(1, 1), msLevel(1)), spectrum(at(1, 2), msLevel(2))}, qstarElite);
    const auto ids = [](std::vector<std::string> list) {
        std::vector<FixtureSpectrum> spectra;
        for (const std::string& id : list) spectra.push_back(spectrum(id, msLevel(1)));
        return fixtureMzML(spectra, qstarElite);
    };
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
        HRESULT code;
        std::string inDescription;
    };
    const std::vector<Case> cases = {
        {"no export beside it", {{"lysate3b.mzML", good}, {"Lysate3.mzML", good}, {"lysate3.wiff.mzML", good}},
         E_FILENOTFOUND, "lysate3-<sample>.mzXML.gz"},
        {"undecodable arrays", {{"lysate3.mzML", handWrittenMzML("not base64!")}}, E_FAIL, "Spectrum 1"},
        {"second sample damaged", {{"lysate3-a.mzML", good}, {"lysate3-b.mzML", good.substr(0, 900)}}, E_FAIL,
         "lysate3-b.mzML"},
        {"keys on some spectra only", {{"lysate3.mzML", ids({"cycle=1 experiment=1", "scan=2"})}}, E_FAIL,
         "1 of its 2 spectra carry cycle"},
        {"cycle without experiment", {{"lysate3.mzML", ids({"cycle=1"})}}, E_FAIL, "only one of"},
        {"experiment beyond a method", {{"lysate3.mzML", ids({"cycle=1 experiment=10001"})}}, E_FAIL,
         "experiment=10001 lies beyond the 10000 experiments an acquisition method can hold"},
        {"period beyond a method", {{"lysate3.mzML", ids({"period=10001 cycle=1 experiment=1"})}}, E_FAIL,
         "period=10001 lies beyond the 10000 periods"},
        {"sample 2 of 3 missing",
         {{"lysate3-a.mzML", ids({"sample=1 cycle=1 experiment=1"})}, {"lysate3-c.mzML", ids({"sample=3 cycle=1 experiment=1"})}},
         E_FILENOTFOUND, "No export of sample 2 was found in the folder "},
        {"ids back to an earlier sample",
         {{"lysate3.mzML", ids({"sample=2 cycle=1 experiment=1", "sample=1 cycle=1 experiment=2"})}}, E_FAIL,
         "spectrum 2 (\"sample=1 cycle=1 experiment=2\") names sample 1 after sample 2"},
        {"sample 2 of 3 missing in one export",
         {{"lysate3.mzML", ids({"sample=1 cycle=1 experiment=1", "sample=3 cycle=1 experiment=1"})}}, E_FILENOTFOUND,
         "No export of sample 2 was found in the folder "},
        // The object model's codes are 16 bits: a code beyond them wrapped
        // would re-type the whole experiment.
        {"code past 16 bits",
         {{"lysate3.mzML", fixtureMzML({spectrum(at(1, 1), msLevel(1)), spectrum(at(1, 2), msLevel(2) + userParam(scanTypeCode, "70000"))},
                                       qstarElite)}},
         E_FAIL, "Spectrum 2 (\"sample=1 period=1 cycle=1 experiment=2\") of the export "},
        {"code past 16 bits, named",
         {{"lysate3.mzML", fixtureMzML({spectrum(at(1, 1), msLevel(1) + userParam(scanTypeCode, "32768"))}, qstarElite)}},
         E_FAIL, "lysate3.mzML is damaged: its scan type code 32768 lies beyond the -32768 to 32767"},
        {"code below 16 bits",
         {{"lysate3.mzML", fixtureMzML({spectrum(at(1, 1), msLevel(1) + userParam(scanTypeCode, "-32769"))}, qstarElite)}},
         E_FAIL, "scan type code -32769 lies beyond"},
        {"code of twenty digits",
         {{"lysate3.mzML", fixtureMzML({spectrum(at(1, 1), msLevel(1) + userParam(scanTypeCode, "18446744073709551617"))},
                                       qstarElite)}},
         E_FAIL, "scan type code 18446744073709551617 lies beyond"},
        {"charge past 32 bits", {{"lysate3.mzML", [] {
             FixtureSpectrum product = spectrum(at(1, 2), msLevel(2));
             product.precursor = precursorElement(500.0, "4294967298", std::nullopt, 30.0);
             return fixtureMzML({spectrum(at(1, 1), msLevel(1)), product}, qstarElite);
         }()}},
         E_FAIL, "is damaged: its charge state 4294967298 lies beyond the 32-bit charges"},
        {"sample key on some only", {{"lysate3.mzML", ids({"sample=1 cycle=1 experiment=1", "cycle=1 experiment=2"})}},
         E_FAIL, "carry a sample key"},
        {"same place twice", {{"lysate3.mzML", ids({"cycle=1 experiment=1", "period=1 cycle=1 experiment=1"})}}, E_FAIL,
         "repeats"},
        {"zero", {{"lysate3.mzML", ids({"cycle=0 experiment=1"})}}, E_FAIL, "cycle=0"},
        {"sign", {{"lysate3.mzML", ids({"cycle=+1 experiment=1"})}}, E_FAIL, "cycle=+1"},
        {"beyond 32 bits", {{"lysate3.mzML", ids({"cycle=1 period=2147483648 experiment=1"})}}, E_FAIL, "period="},
        {"no spectra", {{"lysate3.mzML", fixtureMzML({}, qtrap4000, "", "empty run")}}, E_FAIL,
         "lysate3.mzML holds no spectra and no chromatograms."},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const auto& [name, content] : c.files) writeWholeFile(dir.file(name), content);
        try {
            WiffApplication().openWiff(dir.file("lysate3.wiff"), 1);
            ADD_FAILURE() << c.what << ": opened";
        } catch (const ComError& error) {
            EXPECT_EQ(error.code(), c.code) << c.what;
            EXPECT_NE(error.description().find(c.inDescription), std::string::npos) << c.what << ": " << error.description();
            EXPECT_EQ(error.interfaceName(), "IWiffApplication");
            if (c.code == E_FILENOTFOUND) {
                EXPECT_NE(error.description().find(dir.path()), std::string::npos);
            }
        }
    }
}

TEST(AnalystErrors, IndicesOutsideTheFile) {
    std::vector<FixtureSpectrum> spectra;
    for (int c = 1; c <= 3; ++c) {
        for (int e = 1; e <= 2; ++e) spectra.push_back(spectrum(at(c, e), msLevel(e), c));
    }
    const OpenedRun run(fixtureMzML(spectra, qstarElite));
    const WiffApplication application;
    ExperimentTrace trace;
    trace.setWiffFileName(run.path);
    trace.selectExperiment(1, 0, 1);
    SpectrumData data;
    data.setWiffFileName(run.path);
    data.selectSpectrum(1, 0, 1, 3.0f, 3.0f);
    struct Case {
        const char* what;
        std::function<void()> call;
        HRESULT code;
    };
    const std::vector<Case> cases = {
        {"openWiff sample 0", [&] { application.openWiff(run.path, 0); }, E_INVALIDARG},
        {"openWiff sample 2", [&] { application.openWiff(run.path, 2); }, E_INVALIDARG},
        {"name of sample 0", [&] { run.file.sampleName(0); }, E_INVALIDARG},
        {"cycles of period 1", [&] { run.file.numberOfCycles(1, 1); }, E_INVALIDARG},
        {"experiments of period -1", [&] { run.file.numberOfExperiments(1, -1); }, E_INVALIDARG},
        {"experiment info 1", [&] { run.file.periodInfo(1, 0).experimentInfo(1); }, S_OK},
        {"experiment info 2", [&] { run.file.periodInfo(1, 0).experimentInfo(2); }, E_INVALIDARG},
        {"cycle time, last cycle", [&] { run.file.cycleTime(1, 0, 1, 2); }, S_OK},
        {"cycle time, cycle 3", [&] { run.file.cycleTime(1, 0, 0, 3); }, E_INVALIDARG},
        {"cycle time, cycle -1", [&] { run.file.cycleTime(1, 0, 0, -1); }, E_INVALIDARG},
        {"trace experiment 2", [&] { ExperimentTrace(trace).selectExperiment(1, 0, 2); }, E_INVALIDARG},
        {"trace point 3", [&] { trace.yValue(3); }, S_OK},
        {"trace point 0", [&] { trace.yValue(0); }, E_INVALIDARG},
        {"trace point 4", [&] { trace.xValue(4); }, E_INVALIDARG},
        {"spectrum experiment -1", [&] { SpectrumData(data).selectSpectrum(1, 0, -1, 3.0f, 3.0f); }, E_INVALIDARG},
        {"spectrum point 2", [&] { data.xValue(2); }, S_OK},
        {"spectrum point 3", [&] { data.yValue(3); }, E_INVALIDARG},
        {"trace before a file", [&] { ExperimentTrace().selectExperiment(1, 0, 0); }, E_FAIL},
        {"spectrum before a file", [&] { SpectrumData().selectSpectrum(1, 0, 0, 0.0f, 0.0f); }, E_FAIL},
        {"file without exports", [&] { ExperimentTrace().setWiffFileName(run.dir.file("none.wiff")); }, E_FILENOTFOUND},
    };
    for (const Case& c : cases) EXPECT_EQ(codeOf(c.call), c.code) << c.what;
}
