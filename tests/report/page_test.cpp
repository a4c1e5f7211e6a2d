// The page: texts from the logs never become markup, and the histograms
// count every value once.
#include <gtest/gtest.h>

#include <numeric>
#include <utility>

#include "tests/support/temp_dir.h"
#include "tools/report/charge_agreement.h"
#include "tools/report/report_page.h"
#include "tools/report/svg_charts.h"

namespace {

TEST(ReportPage, TextsFromTheLogsAreEscaped) {
    TempDir dir;
    const std::string hostile = "<script>alert('x')</script>&";
    // A run folder may be named so; the run name starts every row.
    const std::string run = "<img src=y onerror=alert(1)>";
    writeWholeFile(dir.file("features.txt"), "originalSpectrumFile\tnumPeaks\n" + run + ".0012.0012.2.pkl\t7");
    writeWholeFile(dir.file("xtractorRejectReasons.txt"),
                   "spectrumName\tnumScansAfterParent\tRejectReason\nr1.0012.0012.2.pkl\t0\t" + hostile + "\n" + run +
                       ".0013.0013.2.pkl\t0\t" + hostile);
    writeWholeFile(dir.file("runStats.txt"), "FileName\tr1\nSampleName\t<img src=x onerror=1>\nnumMSMSscansCollected\t1\n"
                                             "<b>bold</b>\t4\n");
    const std::string page = renderReportPage(buildRunReport({dir.path() + "/", "features.txt", "r1", "", ""}));
    EXPECT_NE(page.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=1&gt;"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;bold&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    const std::string named = renderReportPage(buildRunReport({dir.path() + "/", "features.txt", run, "", ""}));
    EXPECT_NE(named.find("Run report: <code>&lt;img src=y onerror=alert(1)&gt;</code>"), std::string::npos);
    EXPECT_EQ(named.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
}

// Values no chart can place are left out of the charts instead of stalling or
// breaking the page.
TEST(ReportPage, ExtremeValuesStillGiveAPage) {
    TempDir dir;
    std::string features = "originalSpectrumFile\tscanNumber\tnumPeaks\tparent_m_over_z\tparent_charge\tparentSignalNoise";
    const std::vector<std::string> values = {"inf", "-nan", "1e300", "-5", "1e17", "100000000000000016", "512.5"};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string scan = std::to_string(1000 + i);
        features += "\nr1." + scan + "." + scan + ".2.pkl\t" + scan + "\t4\t" + values[i] + "\t2\t" + values[i];
    }
    writeWholeFile(dir.file("features.txt"), features);
    const std::string page = renderReportPage(buildRunReport({dir.path() + "/", "features.txt", "r1", "", ""}));
    EXPECT_NE(page.find("</html>"), std::string::npos);
    std::size_t points = 0;
    for (std::size_t at = page.find("<circle cx"); at != std::string::npos; at = page.find("<circle cx", at + 1)) ++points;
    EXPECT_EQ(points, 5u + 1u);  // the finite precursors, and the legend's one charge
    EXPECT_EQ(page.find("nan\""), std::string::npos);
}

// The 1+ warning stands above 10 % of the written spectra, not at it.
TEST(ReportPage, WarnsWhenMoreThanATenthOfTheSpectraAreSinglyCharged) {
    for (const auto& [singly, warned] : {std::pair{0, false}, std::pair{2, false}, std::pair{3, true}}) {
        TempDir dir;
        std::string features = "originalSpectrumFile\tscanNumber\tnumPeaks\tparent_m_over_z\tparent_charge";
        for (int i = 0; i < 20; ++i) {
            const std::string scan = std::to_string(1000 + i);
            const std::string charge = i < singly ? "1" : i % 2 ? "2" : "0";
            features += "\nr1." + scan + "." + scan + "." + charge + ".pkl\t" + scan + "\t9\t600\t" + charge;
        }
        writeWholeFile(dir.file("features.txt"), features);
        const std::string page = renderReportPage(buildRunReport({dir.path() + "/", "features.txt", "r1", "", ""}));
        EXPECT_EQ(page.find("id=\"singly-charged-warning\">Warning: " + std::to_string(singly) + " of the 20 written") !=
                      std::string::npos,
                  warned)
            << singly;
        EXPECT_EQ(page.find("id=\"charge-agreement\""), std::string::npos) << "no export, no instrument charges";
    }
}

// The charges shown are those the MGF file states, where it is read: 20
// spectra all decided 1+ (the .pkl headers), of which the MGF states 1+ for
// `stated` and 2+ for one, and leaves the others to the search engine.
TEST(ReportPage, ChargesAreCountedAsTheMgfStatesThem) {
    struct Case {
        int stated;  // -1: no MGF file
        bool warned;
        const char* table;  // the charges.tsv row
    };
    const std::vector<Case> cases = {
        {-1, true, "1\t20\t20\t0\t0\t0\t0\t20\t0\t0"},
        {2, false, "1\t20\t2\t0\t0\t0\t17\t2\t1\t0"},
        {3, true, "1\t20\t3\t0\t0\t0\t16\t3\t1\t0"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::string features = "originalSpectrumFile\tscanNumber\tnumPeaks\tparent_m_over_z\tparent_charge";
        std::string mgf;
        for (int i = 0; i < 20; ++i) {
            const std::string scan = std::to_string(1000 + i);
            features += "\nr1." + scan + "." + scan + ".1.pkl\t" + scan + "\t9\t600\t1";
            const char* charge = i < c.stated ? "CHARGE=1+\n" : i == c.stated ? "CHARGE=2+\n" : "";
            mgf += "BEGIN IONS\nTITLE=r1." + scan + "." + scan + ".1\nPEPMASS=600.00000 0\n" + charge + "SCANS=" + scan +
                   "-" + scan + "\n100.00000 5\nEND IONS\n\n";
        }
        writeWholeFile(dir.file("features.txt"), features);
        if (c.stated >= 0) writeWholeFile(dir.file("r1.mgf"), mgf);
        const RunReport report = buildRunReport({dir.path() + "/", "features.txt", "r1", "", dir.path() + "/"});
        const std::string page = renderReportPage(report);
        EXPECT_EQ(page.find("singly-charged-warning") != std::string::npos, c.warned) << c.stated;
        EXPECT_EQ(page.find("Charges the MGF file states") != std::string::npos, c.stated >= 0) << c.stated;
        const std::string table = chargeAgreementTable({{1, chargeAgreement(report.samples.at(0).spectra)}});
        EXPECT_EQ(table, "sample\twritten\tsingly_charged\tinstrument_charged\tcharged\tagreeing\topen\tstated_1\t"
                         "stated_2\tstated_3\n" + std::string(c.table) + "\n")
            << c.stated;
    }
}

TEST(ReportPage, HistogramsCountEveryValueOnce) {
    struct Case {
        std::string label;
        Histogram histogram;
        std::vector<double> values;
    };
    std::vector<double> skewed(200, 3.0);
    skewed.push_back(10000.0);  // far above the 99th percentile
    const std::vector<double> peaks = {4, 5, 9, 12, 25, 25, 25, 0};
    const std::vector<double> ratios = {0.0, 0.4, 1.0, 1.9, 2.0, 49.0, 50.0, 207.6};
    const std::vector<Case> cases = {
        {"skewed", makeHistogram(skewed, 10), skewed},
        {"peak counts", makeHistogram(peaks, 12), peaks},
        {"decades", makeDecadeHistogram(ratios), ratios},
    };
    for (const Case& c : cases) {
        const Histogram& h = c.histogram;
        EXPECT_EQ(h.total, static_cast<long>(c.values.size())) << c.label;
        EXPECT_EQ(std::accumulate(h.counts.begin(), h.counts.end(), 0L) + h.overflow, h.total) << c.label;
        ASSERT_EQ(h.edges.size(), h.counts.size() + 1) << c.label;
    }
    EXPECT_EQ(cases[0].histogram.overflow, 1);
    EXPECT_EQ(cases[1].histogram.overflow, 0);  // the largest value lies inside the last bin
    const Histogram& decades = cases[2].histogram;
    EXPECT_EQ(decades.edges, (std::vector<double>{0, 1, 2, 5, 10, 20, 50, 100, 200, 500}));
    EXPECT_EQ(decades.counts, (std::vector<long>{2, 2, 1, 0, 0, 1, 1, 0, 1}));
}

}  // namespace
