// The LC run as the report draws it, against the same generated exports read
// by ProteoWizard's library: every survey scan's total ion current and base
// peak, every MS/MS spectrum's time and precursor intensity.
#include <gtest/gtest.h>

#include <pwiz/data/msdata/MSDataFile.hpp>

#include <algorithm>
#include <cmath>

#include "tests/support/work_folder.h"
#include "tools/report/run_chromatogram.h"

namespace {

TEST(RunChromatogram, MsmsPerMinuteCountsEachSpectrumInItsMinuteFromTheFirst) {
    struct Case {
        std::vector<double> minutes;
        MinuteCounts expected;
    };
    const std::vector<Case> cases = {
        {{}, {0, {}}},
        {{0.0, 0.999, 1.0, 2.5}, {0, {2, 1, 1}}},
        {{3.0}, {3, {1}}},
        {{2.0, 1.9999, 2.0}, {1, {1, 2}}},
        {{61.0, 59.5, 62.25}, {59, {1, 0, 1, 1}}},
    };
    for (const Case& c : cases) {
        RunChromatogram chromatogram;
        for (const double m : c.minutes) chromatogram.msms.push_back({m, 500.0, 0.0});
        const MinuteCounts counted = msmsPerMinute(chromatogram);
        EXPECT_EQ(counted.first, c.expected.first) << c.minutes.size();
        EXPECT_EQ(counted.counts, c.expected.counts) << c.minutes.size();
    }
}

TEST(RunChromatogram, SurveyTracesAndPrecursorsAgreeWithTheLibrary) {
    const WorkFolder folder;
    const std::vector<std::string> generated = {
        "--spectra 120 --seed 3",
        "--spectra 150 --seed 4 --profile --top 3",
        "--spectra 60 --seed 5 --fragment-only",
        "--spectra 90 --seed 6 --survey-ppm 4 --gzip",
    };
    int n = 0;
    for (const std::string& options : generated) {
        const std::string path = folder.file("run" + std::to_string(++n) + ".mzML");
        folder.generate(options + " --output " + path);
        const std::string file = options.find("--gzip") != std::string::npos ? path + ".gz" : path;
        const RunChromatogram drawn = readRunChromatogram(*OpenFormatExport::open(file));

        pwiz::msdata::MSDataFile data(file);
        const pwiz::msdata::SpectrumList& spectra = *data.run.spectrumListPtr;
        std::vector<SurveyPoint> survey;
        std::vector<MsmsPoint> msms;
        std::vector<double> lastMz;
        std::vector<double> lastIntensity;
        for (std::size_t i = 0; i < spectra.size(); ++i) {
            const pwiz::msdata::SpectrumPtr s = spectra.spectrum(i, true);
            const double minutes = s->scanList.scans.at(0).cvParam(pwiz::cv::MS_scan_start_time).timeInSeconds() / 60.0;
            const std::vector<double>& mz = s->getMZArray()->data;
            const std::vector<double>& intensity = s->getIntensityArray()->data;
            if (s->cvParam(pwiz::cv::MS_ms_level).valueAs<int>() == 1) {
                survey.push_back({minutes, 0.0, 0.0});
                for (const double v : intensity) {
                    survey.back().totalIonCurrent += v;
                    survey.back().basePeak = std::max(survey.back().basePeak, v);
                }
                lastMz = mz;
                lastIntensity = intensity;
                continue;
            }
            const double precursor = s->precursors.at(0).selectedIons.at(0).cvParam(pwiz::cv::MS_selected_ion_m_z).valueAs<double>();
            msms.push_back({minutes, precursor, 0.0});
            for (std::size_t k = 0; k < lastMz.size(); ++k) {
                if (std::fabs(lastMz[k] - precursor) <= precursorWindowMz) {
                    msms.back().precursorIntensity = std::max(msms.back().precursorIntensity, lastIntensity[k]);
                }
            }
        }
        ASSERT_EQ(drawn.survey.size(), survey.size()) << options;
        ASSERT_EQ(drawn.msms.size(), msms.size()) << options;
        EXPECT_EQ(drawn.untimed, 0u) << options;
        EXPECT_EQ(survey.empty(), options.find("--fragment-only") != std::string::npos) << options;
        for (std::size_t i = 0; i < survey.size(); ++i) {
            EXPECT_NEAR(drawn.survey[i].minutes, survey[i].minutes, 1e-9) << options << " survey " << i;
            EXPECT_NEAR(drawn.survey[i].totalIonCurrent, survey[i].totalIonCurrent, 1e-6 * survey[i].totalIonCurrent)
                << options << " survey " << i;
            EXPECT_EQ(drawn.survey[i].basePeak, survey[i].basePeak) << options << " survey " << i;
        }
        long withIntensity = 0;
        for (std::size_t i = 0; i < msms.size(); ++i) {
            EXPECT_NEAR(drawn.msms[i].minutes, msms[i].minutes, 1e-9) << options << " MS/MS " << i;
            EXPECT_NEAR(drawn.msms[i].precursorMz, msms[i].precursorMz, 1e-9) << options << " MS/MS " << i;
            EXPECT_EQ(drawn.msms[i].precursorIntensity, msms[i].precursorIntensity) << options << " MS/MS " << i;
            withIntensity += msms[i].precursorIntensity > 0.0 ? 1 : 0;
        }
        // A data-dependent run picks its precursors from the survey scans: most are found there.
        if (!survey.empty()) {
            EXPECT_GT(withIntensity * 2, static_cast<long>(msms.size())) << options;
        }
    }
}

}  // namespace
