// Which rows of a shared log folder belong to a run, and what is read from
// them, on small hand-written logs. Two runs sharing one folder, counted
// apart, a .wiff run's samples summed and absent logs are the end-to-end
// test's.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/util/format_text.h"
#include "tests/support/features_headers.h"
#include "tests/support/temp_dir.h"
#include "tools/report/charge_log.h"
#include "tools/report/reject_log.h"
#include "tools/report/run_names.h"
#include "tools/report/run_report.h"

namespace {

// A yepharvest features row as the program writes it: one field fewer than
// its header.
std::string yepRow(const std::string& run, int scan, int last, int charge, double mz, int peaks) {
    char row[512];
    std::snprintf(row, sizeof row,
                  "\n%s.%04d.%04d.%d.pkl\t%d\t%d\t%d\t%0.2f\t%0.2f\tnan\t0\t%d\t1\t9000\t50000\t300\t100\t12.5\t9.1\t"
                  "90000\t3\t4\tPEPT\tpyridylethylation",
                  run.c_str(), scan, last, charge, scan, peaks, peaks * 10, mz, mz, charge);
    return row;
}

ReportRequest requestFor(const TempDir& dir, const std::string& run) { return {dir.path() + "/", "features.txt", run, "", ""}; }

// What a name gives: "sample first last charge", or "-" when it is no peak list of the run.
TEST(RunNames, PeakListNamesBelongToTheirRunOnly) {
    struct Case {
        std::string name, run;
        RunProgram program;
        bool samples;
        std::string read;
    };
    const RunProgram yep = RunProgram::yepharvest;
    const RunProgram wiff = RunProgram::wiffharvest;
    const std::vector<Case> cases = {
        {"r1.0012.0015.2.pkl", "r1", yep, false, "1 12 15 2"},
        {"r1.12345.12345.0.pkl", "r1", yep, false, "1 12345 12345 0"},
        {"r10.0012.0015.2.pkl", "r1", yep, false, "-"},
        {"r1.0012.0015.2.pkl", "r10", yep, false, "-"},
        {"r1.5.0012.0012.2.pkl", "r1", yep, false, "-"},
        {"r1.5.0012.0012.2.pkl", "r1.5", yep, false, "1 12 12 2"},
        {"r1.0012.0015.2", "r1", yep, false, "-"},
        {"r1.12.0015.2.pkl", "r1", yep, false, "-"},
        {"lysate3_2.0123.0045.2.pkl", "lysate3", wiff, true, "2 123 45 2"},
        {"lysate3_2.0123.0045.2.pkl", "lysate3", wiff, false, "-"},
        {"lysate3_2.0123.0045.2.pkl", "lysate3", yep, true, "-"},
        {"lysate3_1.0123.0045.2.pkl", "lysate3", wiff, true, "-"},
        {"lysate3_x.0123.0045.2.pkl", "lysate3", wiff, true, "-"},
    };
    for (const Case& c : cases) {
        const std::optional<PeakListName> n = matchPeakListName(c.name, c.run, c.program, c.samples);
        EXPECT_EQ(n ? formatText("%d %ld %ld %d", n->sample, n->first, n->last, n->charge) : "-", c.read)
            << c.name << " in run " << c.run;
    }
}

TEST(RunNames, RejectNamesAndChargeKeysTakeTheirProgramsForms) {
    struct Case {
        std::string name, run;
        RunProgram program;
        bool reject, chargeKey;
    };
    const RunProgram yep = RunProgram::yepharvest;
    const RunProgram wiff = RunProgram::wiffharvest;
    const std::vector<Case> cases = {
        {"r1.5", "r1", yep, true, false},          // scan range, unpadded
        {"r1.0012", "r1", yep, true, true},        // merge row, charge row
        {"r10.0012", "r1", yep, false, false},
        {"r1_0012", "r1", yep, false, false},
        {"r1.0012.0015.2.pkl", "r1", yep, true, false},
        {"r1.0123.0045", "r1", yep, false, false},
        {"r1.0123.0045", "r1", wiff, true, true},  // wiffharvest: scan time and scan
        {"r1.0123", "r1", wiff, true, false},
        {"r1.5", "r1", wiff, false, false},
        {"r1_2.0123.0045.2.pkl", "r1", wiff, false, false},
        {"r1.", "r1", yep, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchRejectName(c.name, c.run, c.program), c.reject) << c.name;
        EXPECT_EQ(matchChargeKey(c.name, c.run, c.program), c.chargeKey) << c.name;
    }
}

TEST(ChargeLog, TheLastDecisionLoggedForASpectrumCounts) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\tz = 4 (535.6) S/N: 0.0\tz = 2 (713.8) 4 b/y pairs found\t z = 3 (713.8) b/y pairs found 0; \tassigned z = 2",
         "assigned z = 2"},
        {"\tz= 3 (650.0) MS peak z = 2 (975.0) S/N: 9.1;\tassigned z = 3", "assigned z = 3"},
        {"\tz = 4 (554.0) S/N: 0.0\tz = 2 (738.4) 6 b/y pairs found\t z = 3 (738.4) b/y pairs found 1; b/y pair "
         "conflict z not assigned",
         "not assigned: b/y pair conflict"},
        {"\tz= 2 (700.0) MS peak z = 1 (1399.0) S/N: 5.0\tz = 2 (700.0) 5 b/y pairs found\t z = 3 (700.0) b/y pairs "
         "found 0; b/y pair, z4 in MS scan conflict z not assigned",
         "not assigned: b/y pairs vs z = 4 in survey"},
        {"\tcharge: 1 assigned from delta m/z: 1.0030 between 12C: 500.0000 and 13C: 501.0030\tcharge: 0 charge 1 "
         "isotope spacing assignment reversed due to presence of fragment ions above precursor mass",
         "z = 1 withdrawn: fragments above parent"},
        {"\tcharge: 0 charge 1 isotope spacing assignment reversed due to presence of fragment ions above precursor "
         "mass\tcharge: 2 assigned from delta m/z: 0.5010 between 12C: 500.0000 and 13C: 500.5010",
         "assigned from isotope spacing z = 2"},
        {"\tz= 2 (883.3) MS peaks z = 3 (589.2) S/N: 112.5", "no decision logged"},
    };
    for (const auto& [text, decision] : cases) EXPECT_EQ(chargeDecision(text), decision) << text;
}

// A spectrum judged at several charges counts under the test it came
// furthest in; a part that is no test's reason makes the row another reason.
TEST(RejectLog, RowsOfSeveralChargesCountUnderTheFurthestTest) {
    const std::vector<std::pair<std::string, RejectKind>> cases = {
        {"1+: 450.00 outside range 500.0 - 5000.0; 2+: 899.00 outside range 500.0 - 5000.0", RejectKind::parentRange},
        {"2+: < 4 peaks after picking; 1+: 450.00 outside range 500.0 - 5000.0; 3+: < 4 peaks after picking",
         RejectKind::tooFewPeaks},
        {"2+: maxSequenceTagLength: 0 <= 0 specified; 1+: 450.00 outside range 500.0 - 5000.0; 3+: < 4 peaks after "
         "picking",
         RejectKind::sequenceTag},
        {"1+: 450.00 outside range 500.0 - 5000.0; 2+: something else", RejectKind::other},
        {"450.00 outside range 500.0 - 5000.0", RejectKind::parentRange},
    };
    for (const auto& [reason, kind] : cases) EXPECT_EQ(classifyRejectReason(reason), kind) << reason;
}

// A sample's reject rows are the next (collected - written) rows, and only
// when its merge rows are as many as its statistics say.
TEST(RejectLog, RowsOfSamplesAreToldApartOnlyWhenTheyAddUp) {
    const std::string merged = "parent: 500.00 merged with scan 0001.0002 parent: 500.00";
    RejectSelection rows;
    for (const std::string& reason : {merged, std::string("< 4 peaks after picking"), merged, merged}) rows.add(reason);
    using Counters = std::vector<std::pair<std::string, long>>;
    const Counters one = {{"numMSMSscansCollected", 5}, {"numOutputFiles", 3}, {"numMSMSmergedParentScans", 1}};
    const Counters two = {{"numMSMSscansCollected", 4}, {"numOutputFiles", 2}, {"numMSMSmergedParentScans", 2}};
    Counters twoWrittenMore = two;
    twoWrittenMore[1].second = 3;  // a survey scan outside the scan range leaves a row too
    Counters oneMergedMore = one;
    oneMergedMore[2].second = 2;
    const auto split = splitRejectsBySample(rows, {one, two});
    ASSERT_TRUE(split);
    EXPECT_EQ((*split)[0].reasons, (std::vector<std::string>{merged, "< 4 peaks after picking"}));
    EXPECT_EQ((*split)[1].count(RejectKind::merged), 2);
    EXPECT_FALSE(splitRejectsBySample(rows, {one, twoWrittenMore}));
    EXPECT_FALSE(splitRejectsBySample(rows, {oneMergedMore, two}));
    EXPECT_FALSE(splitRejectsBySample(rows, {one}));
}

TEST(RunReport, ColumnsAreReadByNameInEveryHeaderVariant) {
    struct Case {
        std::string label, content;
        FeaturesLayout layout;
        std::string read;  // m/z, charge, peaks, scan
    };
    const std::vector<Case> cases = {
        {"yepharvest", kFeaturesHeader + kPrecedingScanColumn + yepRow("s7", 412, 415, 2, 445.12, 17),
         FeaturesLayout::yepharvest, "445.12 2 17 412"},
        {"yepharvest with a mixture", kFeaturesHeader + kMixtureColumns + kPrecedingScanColumn +
                                          yepRow("s7", 412, 415, 3, 445.12, 17) + "\t10\t20\t30\t40",
         FeaturesLayout::yepharvest, "445.12 3 17 412"},
        {"wiffharvest", kWiffFeaturesHeader + "\ns7.0123.0045.2.pkl\t45\t21\t300\t4000\t652.34\t652.34\t0\t2\t32.0000\t100\t5\t2\t"
                                     "9.0\t7000\t80000\t4\t3\tPEP\tpyridylethylation",
         FeaturesLayout::wiffharvest, "652.34 2 21 45"},
        {"Q-Tof", kQtofFeaturesHeader + "\ns7.0412.0412.1.pkl\t19\t250\t701.40\t0\t1\t7000\t80000\t5\t2\t9.0\t90000\t4\t3\tPEP",
         FeaturesLayout::qtof, "701.4 1 19 412"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeWholeFile(dir.file("features.txt"), c.content);
        const RunReport report = buildRunReport(requestFor(dir, "s7"));
        EXPECT_EQ(report.features.layout, c.layout) << c.label;
        ASSERT_EQ(report.features.spectra.size(), 1u) << c.label;
        EXPECT_TRUE(report.features.malformedLines.empty()) << c.label;
        const WrittenSpectrum& s = report.features.spectra.front();
        EXPECT_EQ(formatText("%.10g %d %ld %ld", s.parentMz.value_or(0), s.charge, s.numPeaks.value_or(-1), s.scanNumber.value_or(-1)),
                  c.read)
            << c.label;
    }
}

TEST(RunReport, MalformedRowsAreLeftOutAndNamed) {
    TempDir dir;
    writeWholeFile(dir.file("features.txt"), kFeaturesHeader + kPrecedingScanColumn + yepRow("r1", 12, 12, 2, 612.3, 20) +
                                                 "\nr1.0013.0013.2.pkl\t13\t20" +  // cut short
                                                 "\nr1.0014.0014.2.pkl\t14\tmany\t200\t600.00\t600.00\tnan\t0\t2\t1\t9000"
                                                 "\t50000\t300\t100\t12.5\t9.1\t90000\t3\t4\tPEPT\tpyridylethylation" +
                                                 yepRow("r1", 15, 15, 2, 512.3, 20));
    writeWholeFile(dir.file("xtractorRejectReasons.txt"),
                   "spectrumName\tnumScansAfterParent\tRejectReason\nr1.0016.0016.2.pkl\t0\n"
                   "r1.0017.0017.2.pkl\t0\t< 4 peaks after picking\nr1.0018\nr1.\t\t\t");
    // A decision may go on over several rows of its spectrum.
    writeWholeFile(dir.file("parentChargeCheck.txt"), "scanNumber\tChargeAssignment\nr1.0012\nr1.0013\t;\tassigned z = 2"
                                                      "\nr1.0014\tz= 2 (600.3) MS peak z = 1 (1199.2) S/N: 200.0"
                                                      "\nr1.0014\tz = 4 (450.3) S/N: 0.0\tassigned z = 2");
    writeWholeFile(dir.file("runStats.txt"), "FileName\tr1\nnumMSMSscansCollected\tlots\nnumOutputFiles\t2\ngarbage\n");

    const RunReport report = buildRunReport(requestFor(dir, "r1"));
    EXPECT_EQ(report.features.spectra.size(), 2u);
    EXPECT_EQ(report.features.malformedLines, (std::vector<int>{3, 4}));
    EXPECT_EQ(report.rejects.total(), 1);
    EXPECT_EQ(report.rejects.malformedLines, (std::vector<int>{2, 4}));
    EXPECT_EQ(report.charges.spectra, 2);
    EXPECT_EQ(report.charges.decisions.at("assigned z = 2"), 2);
    EXPECT_EQ(report.charges.malformedLines, (std::vector<int>{2}));
    EXPECT_EQ(report.stats.unreadableLines, (std::vector<int>{2, 4}));
    ASSERT_EQ(report.stats.matching.size(), 1u);
    EXPECT_EQ(report.stats.matching.back().total("numOutputFiles"), 2);
    const auto mentions = [&](const std::string& text) {
        return std::any_of(report.notices.begin(), report.notices.end(),
                           [&](const std::string& notice) { return notice.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(mentions("line 3, 4"));
    EXPECT_TRUE(mentions("no counters"));
}

}  // namespace
