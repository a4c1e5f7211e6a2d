// The wiffharvest stages on hand-built scan tables: label rules, the
// isotope-spacing walk and its edges, merging windows, names and counts.
#include <gtest/gtest.h>

#include "core/util/format_text.h"
#include "platform/analyst/scan_values.h"
#include "tests/support/query_context.h"
#include "tests/support/whole_table_stages.h"
#include "wiffharvest/filter_and_merge.h"
#include "wiffharvest/isotope_spacing_charges.h"
#include "wiffharvest/object_model_errors.h"
#include "wiffharvest/run_counts.h"
#include "wiffharvest/run_name.h"
#include "wiffharvest/scan_types.h"
#include "wiffharvest/spectrum_label.h"

namespace {

struct Scan {
    int msLevel = 2;
    double parentMz = 0.0;
    std::vector<std::pair<double, double>> peaks;
    int charge = 0;
};

// Run "r1"; MS/MS records as the reader leaves them (label charge given or
// pending), scan time 6 x their scan number seconds / 6.
struct SampleRun : QueryContext {
    SampleRun(const std::string& query, const std::vector<Scan>& scans) : QueryContext(query) {
        context.runName = "r1";
        for (std::size_t i = 0; i < scans.size(); ++i) {
            SciexMSscan r;
            r.scanNumber = r.lastScanNumber = static_cast<std::int32_t>(i) + 1;
            r.msLevel = scans[i].msLevel;
            r.isSurveyScan = scans[i].msLevel == 1;
            r.scanTime = static_cast<float>(i + 1);
            r.selectedParentMz = r.parentMz = scans[i].parentMz;
            r.charge = scans[i].charge;
            r.chargePending = r.msLevel == 2 && r.charge == 0;
            for (const auto& [mz, intensity] : scans[i].peaks) {
                if (r.msLevel == 2) {
                    r.fragmentPeaks.push_back(makeFragmentPeak(mz, intensity));
                } else {
                    r.peaks.push_back({mz, intensity});
                }
            }
            r.numPeaks = r.rawPointCount = static_cast<std::int32_t>(scans[i].peaks.size());
            table.records.push_back(r);
        }
    }
    std::int32_t n() const { return table.size(); }
    ScanTable table;
};

TEST(SpectrumLabel, MarkersNumbersAndScanTypeNine) {
    struct Case {
        const char* label;
        std::int16_t scanType;
        bool maldi;
        double mz, energy;
        std::int32_t charge;
    };
    const std::vector<Case> cases = {
        {"Product (652.34) CE (32): Charge (+2)", 11, 0, 652.34, 32.0, 2},
        {"Product (652.3400) CE (35)", 11, 0, 652.34, 0.0, 0},  // no "):" ends the energy
        {"Product (N/A) CE (0)", 11, 0, 0.0, 0.0, 0},
        {"Product () CE (20): Charge (+3)", 11, 0, 0.47, 20.0, 3},
        {"Product (abc) CE (x): Charge (+x)", 11, 0, 0.0, 0.0, 0},
        {"TOF MS", 11, 0, 0.0, 0.0, 0},
        {"Product (500.5) CE (30): Charge (+", 11, 0, 500.5, 30.0, 0},
        {"Product (410.2) CE (30): Charge (+2)", 9, 1, 410.2, 0.0, 1},  // MALDI: always 1, no energy
        {"Product (410.2) CE (30): Charge (+2)", 9, 0, 410.2, 0.0, 0},
    };
    for (const Case& c : cases) {
        SciexMSscan scan;
        scan.scanType = c.scanType;
        parseSpectrumLabel(c.label, scan, c.maldi);
        EXPECT_EQ(formatText("%.17g %.17g %.17g %d %d", scan.parentMz, scan.selectedParentMz, scan.collisionEnergy, scan.charge,
                             scan.chargePending),
                  formatText("%.17g %.17g %.17g %d %d", c.mz, c.mz, c.energy, c.charge, c.charge == 0 ? 1 : 0))
            << c.label;
    }
}

TEST(ScanTypes, LevelsAndSurveyFlags) {
    const std::string expected = "1S 1 1 1 1S 1 1S 1S 2 2 2 2 2 99 99 99 3 0 0 0";
    std::string got;
    for (const std::int16_t code : {0, 1, 2, 3, 8, 12, 15, 16, 4, 6, 9, 11, 14, 5, 7, 10, 13, 17, -1, -32768}) {
        const ScanClass c = classifyScanType(code);
        got += formatText("%s%d%s", got.empty() ? "" : " ", c.msLevel, c.isSurveyScan ? "S" : "");
    }
    EXPECT_EQ(got, expected);
}

// One rule from model code to family serves the reader and the object
// model's scan-type codes alike; each family's values follow from it.
TEST(ScanTypes, InstrumentFamilyOfAModelCodeAndWhatItChanges) {
    using F = InstrumentFamily;
    struct Case {
        std::int32_t model;
        F family;
        std::int16_t surveyCode, productCode;
        int mzDecimals;
        const char* block;
    };
    const std::vector<Case> cases = {
        {1999, F::unknown, 0, 6, 2, nullptr},  {2000, F::qstar, 8, 9, 4, "ESI-QSTAR"},
        {2001, F::qstar, 8, 9, 4, "ESI-QSTAR"}, {12, F::unknown, 0, 6, 2, nullptr},
        {13, F::qtrap, 15, 11, 2, "ESI-QTRAP"}, {14, F::qtrap, 15, 11, 2, "ESI-QTRAP"},
        {15, F::unknown, 0, 6, 2, nullptr},    {-1, F::unknown, 0, 6, 2, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        EXPECT_EQ(instrumentTypeFromModelCode(c.model), c.family);
        ExportSpectrum survey, product;
        survey.msLevel = 1;
        product.msLevel = 2;
        EXPECT_EQ(scanTypeCode(survey, c.model), c.surveyCode);
        EXPECT_EQ(scanTypeCode(product, c.model), c.productCode);
        const SciexInstrument instrument{c.family, false};
        EXPECT_EQ(instrument.mzDecimals(), c.mzDecimals);
        EXPECT_EQ(instrument.centroids(), c.family == F::qstar);
        EXPECT_EQ(instrument.chargesFromIsotopeSpacing(), c.family == F::qstar);
        EXPECT_STREQ(instrument.instrumentBlock(), c.block);
    }
    EXPECT_STREQ((SciexInstrument{F::qstar, true}.instrumentBlock()), "MALDI-QSTAR");
}

TEST(Names, RunAndSpectrumNamesWithTheSampleSuffix) {
    for (const char* path : {"D:\\runs\\lysate3.wiff", "/data/a.b/lysate3.wiff", "lysate3"}) {
        EXPECT_EQ(getRunName(path), "lysate3") << path;
    }
    SciexMSscan scan;
    scan.scanTime = 123.4F;
    scan.lastScanNumber = 45;
    scan.charge = 2;
    EXPECT_EQ(peakListName("lysate3", 1, scan), "lysate3.0123.0045.2.pkl");
    EXPECT_EQ(peakListName("lysate3", 2, scan), "lysate3_2.0123.0045.2.pkl");
    EXPECT_EQ(spectrumName("r1", scan), "r1.0123.0045.2.pkl");
}

// A survey scan around a precursor of 500.05, then the MS/MS spectrum: the
// log must start with `log` (and be empty when that is), the spectrum ends
// with charge * 10 + chargePending. The spectrum has fewer than three picked
// fragments, so a charge of 1 is always withdrawn.
TEST(IsotopeSpacing, RatiosWindowEdgesAndWithdrawnChargeOne) {
    const double low = 500.05 - 0.15;  // the bounds computed as the stage computes them
    const double high = 500.05 + 0.15;
    const std::string assigned = "\nr1.0002.0002\tcharge: ";
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> survey;
        std::string log;
        int state;
    };
    const std::vector<Case> cases = {
        {"charge 2", {{500.0, 1000.0}, {500.501, 600.0}}, assigned + "2 assigned from delta m/z: 0.5010 between 12C: 500.0000 and 13C: 500.5010", 20},
        {"13C exactly twice the 12C", {{500.0, 1000.0}, {500.5, 2000.0}}, "", 1},
        {"13C exactly a quarter", {{500.0, 1000.0}, {500.5, 250.0}}, "", 1},
        {"12C exactly at the low edge", {{low, 1000.0}, {low + 0.5, 900.0}}, assigned + "2 assigned", 20},
        {"12C just below it", {{low - 1e-9, 1000.0}, {low + 0.5, 900.0}}, "", 1},
        {"12C exactly at the high edge", {{high, 1000.0}, {high + 0.333, 900.0}}, assigned + "3 assigned", 30},
        {"13C exactly 1.2 above", {{high, 1000.0}, {500.05 + 1.2, 900.0}}, assigned + "1 assigned", 1},
        {"charge 1 withdrawn, a later 12C decides",
         {{500.0, 1000.0}, {500.1, 1000.0}, {500.6, 700.0}, {501.0, 800.0}},
         assigned + "1 assigned from delta m/z: 1.0000 between 12C: 500.0000 and 13C: 501.0000" + assigned +
             "0 charge 1 isotope spacing assignment reversed due to presence of fragment ions above precursor mass" +
             assigned + "2 assigned from delta m/z: 0.5000 between 12C: 500.1000 and 13C: 500.6000",
         20},
    };
    for (const Case& c : cases) {
        SampleRun run("", {{1, 0.0, c.survey}, {2, 500.05, {{200.0, 10.0}}}});
        assignChargesFromIsotopeSpacing(run.table, run.n(), run.context);
        const std::string log = run.logs.parentChargeCheck.text();
        EXPECT_EQ(c.log.empty() ? log : log.substr(0, c.log.size()), c.log) << c.what;
        EXPECT_EQ(run.table.records[1].charge * 10 + run.table.records[1].chargePending, c.state) << c.what;
    }
}

TEST(IsotopeSpacing, LabelledChargesAndSpectraWithoutSurveyAreLeftAlone) {
    SampleRun run("", {{2, 500.05, {{200.0, 10.0}}}, {1, 0.0, {{500.0, 1000.0}, {500.5, 600.0}}},
                       {2, 500.05, {{200.0, 10.0}}, 3}});
    assignChargesFromIsotopeSpacing(run.table, run.n(), run.context);
    EXPECT_EQ(run.logs.parentChargeCheck.text(), "");
    EXPECT_EQ(run.table.records[0].chargePending, 1);
    EXPECT_EQ(run.table.records[2].charge, 3);
}

std::vector<std::pair<double, double>> fragments() { return {{200.0, 10.0}, {300.0, 20.0}}; }

TEST(FilterAndMerge, WindowToleranceAndTheRowsOfMergedSpectra) {
    const auto merged = [](const std::string& query, double second) {
        SampleRun run(query, {{2, 600.25, fragments()}, {1, 0.0, {}}, {1, 0.0, {}}, {2, second, fragments(), 2}});
        testing::internal::CaptureStdout();
        filterAndMergeMSMSspectra(run.table, run.n(), run.context, {InstrumentFamily::qtrap, false});
        testing::internal::GetCapturedStdout();
        const SciexMSscan& first = run.table.records[0];
        return formatText("%d/%d/%d", first.lastScanNumber, first.charge, run.table.records[3].mergedAway) +
               (run.logs.rejectReasons.text().find("merged") != std::string::npos
                    ? run.logs.rejectReasons.text().substr(0, run.logs.rejectReasons.text().find("\n", 1))
                    : "");
    };
    EXPECT_EQ(merged("parentTolerance=0.5&groupScans=15", 600.64),
              "4/2/1\nr1.0004.0004\t0\tparent: 600.64 merged with scan 0001.0001 parent: 600.25");
    EXPECT_EQ(merged("parentTolerance=0.5&groupScans=15", 600.75), "1/0/0");  // exactly the tolerance apart
    EXPECT_EQ(merged("parentTolerance=0.5&groupScans=1", 600.64), "1/0/0");
    EXPECT_EQ(merged("parentTolerance=0.5&groupScans=3", 600.64), "1/0/0");  // three records apart
}

// The scan window rejects survey scans too. Started directly, a program
// takes a window that holds no scan as any other (the front ends refuse
// it): every scan is rejected with a row naming the window, so the logs say
// why nothing was written.
TEST(FilterAndMerge, TheScanWindowRejectsEveryScanOutsideIt) {
    struct Case {
        const char* query;
        const char* kept;
        std::string rejects;
    };
    const std::vector<Case> cases = {
        {"firstScan=2&lastScan=2", "1",
         "\nr1.0001\t0\tscan #: 1 outside range 2 - 2\nr1.0003\t0\tscan #: 3 outside range 2 - 2"
         "\nr1.0002.0002.0.pkl\t0\t479.00 outside range 500.0 - 5000.0"},
        {"firstScan=3&lastScan=2", "0",
         "\nr1.0001\t0\tscan #: 1 outside range 3 - 2\nr1.0002\t0\tscan #: 2 outside range 3 - 2"
         "\nr1.0003\t0\tscan #: 3 outside range 3 - 2"},
    };
    for (const Case& c : cases) {
        SampleRun run(c.query, {{1, 0.0, {{500.0, 10.0}}}, {2, 240.0, fragments()}, {1, 0.0, {}}});
        testing::internal::CaptureStdout();
        filterAndMergeMSMSspectra(run.table, run.n(), run.context, {InstrumentFamily::qstar, false});
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  std::string("<BR>Merging done: \n<BR>numNonRejectedMSMSspectra: ") + c.kept) << c.query;
        EXPECT_EQ(run.logs.rejectReasons.text(), c.rejects) << c.query;
    }
}

TEST(RunCounts, MergedSpectraAndSinglePointScans) {
    SampleRun run("", {{2, 500, fragments(), 2}, {2, 500, fragments()}, {2, 500, fragments()},
                       {2, 600, {{100.0, 1.0}}}, {2, 700, fragments()}});
    auto& r = run.table.records;
    r[1].mergedAway = r[1].rejected = true;
    r[2].mergedAway = r[2].rejected = true;
    r[3].rawPointCount = 1;  // read, never counted
    r[4].rejected = true;
    const RunStatistics s = countRunStatistics(run.table, run.n());
    EXPECT_EQ(formatText("%d %d %d %d %d %d %d", s.numMSMSscansCollected, s.numMSMSmergedParentScans, s.numOutputFiles,
                         s.numOutputSpectra, s.numMergedParentOutputSpectra, s.uniqueCharge[2], s.ambiguousCharge[2]),
              "4 2 1 1 0 1 0");
}

TEST(ObjectModelErrors, TextOfKnownDispatchAndUnknownCodes) {
    EXPECT_EQ(objectModelErrorText(ComError(static_cast<HRESULT>(0x80040205u), "", "")).html(),
              "ERROR\r\n\r\nDescription:\r\nError Message:IDispatch error #5");
    EXPECT_EQ(objectModelErrorText(ComError(static_cast<HRESULT>(0x80040200u), "a <b>", "")).html(),
              "ERROR\r\n\r\nDescription:a &lt;b&gt;\r\nError Message:Unknown error 0x80040200");
}

}  // namespace
