#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "core/util/format_text.h"
#include "platform/analyst/experiment_trace.h"
#include "platform/analyst/spectrum_data.h"
#include "platform/analyst/wiff_application.h"
#include "tests/support/work_folder.h"

namespace {

// One row of the generator's truth table: a spectrum it wrote.
struct Written {
    int sample, cycle, experiment, msLevel, scanTypeCode, charge, chargeWritten;
    double seconds, collisionEnergy, mz;
};

std::vector<Written> readTruth(const std::string& path) {
    std::vector<std::string> lines = splitText(readWholeFile(path));
    std::vector<Written> rows;
    for (std::size_t i = 1; i < lines.size(); ++i) {  // after the header
        const std::vector<std::string> f = splitText(lines[i], '\t');
        if (f.size() != 13) throw std::runtime_error("truth row of " + std::to_string(f.size()) + " fields: " + lines[i]);
        rows.push_back({std::stoi(f[0]), std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[5]), std::stoi(f[6]), std::stoi(f[9]),
                        std::stoi(f[10]), std::stod(f[7]), std::stod(f[11]), std::stod(f[12])});
    }
    return rows;
}

std::string expectedDescription(const Written& row) {
    if (row.msLevel == 1) return "TOF MS";
    std::string text = formatText("Product (%.4f) CE (%g)", row.mz, row.collisionEnergy);
    if (row.chargeWritten != 0) text += formatText(": Charge (+%d)", row.charge);
    return text;
}

struct Generated {
    const char* what;
    std::string options;
    std::int32_t samples, modelCode;
};

}  // namespace

// Every spectrum the generator wrote is where the object model says, with
// its time, signal, points and description; every skipped scan reads 0.
TEST(AnalystOnGeneratedRuns, CountsTracesTimesAndDescriptionsFollowTheTruth) {
    const std::vector<Generated> runs = {
        {"QSTAR, two samples, profile surveys", "--sciex qstar --samples 2 --profile --chargeless 0.3 --top 4", 2, 2000},
        {"QTRAP, enhanced resolution", "--sciex qtrap --enhanced-resolution --scan-type-codes --top 3", 1, 13},
    };
    for (const Generated& run : runs) {
        SCOPED_TRACE(run.what);
        TempDir dir;
        const std::string wiff = dir.file("lysate3.wiff");
        runGenerator(std::string(run.options) + " --spectra 120 --seed 4 --output " + wiff);
        const std::vector<Written> truth = readTruth(wiff + ".truth.tsv");

        const WiffFileData file = WiffApplication().openWiff(wiff, 1);
        ASSERT_EQ(file.numberOfSamples(), run.samples);
        std::size_t skipped = 0;
        std::size_t chargeless = 0;
        for (std::int32_t s = 1; s <= run.samples; ++s) {
            std::map<std::pair<int, int>, Written> placed;  // (cycle, experiment), 0-based
            int cycles = 0;
            int experiments = 0;
            for (const Written& row : truth) {
                if (row.sample != s) continue;
                placed.emplace(std::make_pair(row.cycle - 1, row.experiment - 1), row);
                cycles = std::max(cycles, row.cycle);
                experiments = std::max(experiments, row.experiment);
                chargeless += row.msLevel == 2 && row.chargeWritten == 0 ? 1 : 0;
            }
            EXPECT_EQ(file.sampleName(s), "Sample" + std::to_string(s));
            EXPECT_EQ(file.acquisitionInfo(s).instrumentInfo().modelCode, run.modelCode);
            ASSERT_EQ(file.numberOfPeriods(s), 1);
            ASSERT_EQ(file.numberOfCycles(s, 0), cycles);
            ASSERT_EQ(file.numberOfExperiments(s, 0), experiments);

            SpectrumData spectrum;
            spectrum.setWiffFileName(wiff);
            for (int j = 0; j < experiments; ++j) {
                ExperimentTrace trace;
                trace.setWiffFileName(wiff);
                trace.selectExperiment(s, 0, j);
                bool typed = false;
                for (int c = 0; c < cycles; ++c) {
                    const auto found = placed.find({c, j});
                    const float time = file.cycleTime(s, 0, j, c);
                    if (found == placed.end()) {
                        ++skipped;
                        EXPECT_EQ(trace.yValue(c + 1), 0.0) << c << " " << j;
                        EXPECT_EQ(time, 0.0f);
                        continue;
                    }
                    const Written& row = found->second;
                    if (!typed) {
                        EXPECT_EQ(file.periodInfo(s, 0).experimentInfo(j).scanType(), row.scanTypeCode) << j;
                        typed = true;
                    }
                    EXPECT_NEAR(time, row.seconds, 1e-3);
                    spectrum.selectSpectrum(s, 0, j, time, time);
                    EXPECT_EQ(spectrum.description(), expectedDescription(row)) << c << " " << j;
                    double sum = 0.0;
                    for (std::int32_t k = 1; k <= spectrum.numberOfDataPoints(); ++k) sum += spectrum.yValue(k);
                    EXPECT_GT(spectrum.numberOfDataPoints(), 1);
                    // The generator sums its intensities before storing them in single precision.
                    EXPECT_NEAR(trace.yValue(c + 1), sum, sum * 1e-6) << c << " " << j;
                }
            }
        }
        EXPECT_GT(skipped, 0u);
        if (run.samples == 2) {
            EXPECT_GT(chargeless, 0u);
        }
    }
}
