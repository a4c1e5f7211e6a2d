// The stages run interleaved over the run table, a few records at a time
// behind the reading, leave exactly what they leave run one after the other
// over the whole table: every record, every log row, every peak-list file
// and MGF block. Blocks down to one record and merge windows longer than a
// block put every window edge across block edges; a record that kept its
// peaks too short a time would be picked or summed without them.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/whole_table_stages.h"
#include "core/extractor/precursor_tics.h"
#include "core/util/format_text.h"
#include "tests/support/query_context.h"
#include "tests/support/work_folder.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_filtering.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"
#include "yepharvest/run_counts.h"
#include "yepharvest/run_reader.h"
#include "yepharvest/run_stages.h"
#include "yepharvest/spectral_files.h"
#include "yepharvest/survey_isotope_charges.h"

namespace {

// A run's outcome: its logs, its files and what its records say.
struct Outcome {
    std::string logs;
    std::map<std::string, std::string> files;
    std::string records;
    // Records that keep raw peaks other than survey scans within groupScans
    // of the end and the last survey scan.
    std::size_t keepingPeaks = 0;
};

struct Extraction : QueryContext {
    Extraction(const std::string& query, const TempDir& folder)
        : QueryContext(query + "&resultsXtractorDir=" + folder.path() + "/"), folder_(folder) {
        context.runName = "run";
    }

    Outcome outcome() const {
        Outcome o{logs.rejectReasons.text() + "|" + logs.parentChargeCheck.text() + "|" + logs.specFeatures.text() +
                      "|" + logs.runStats.text(),
                  folderContents(folder_.path()), "", 0};
        const std::int32_t lastSurvey = preceedingMSscan(run, run.size() - 1).value_or(-1);
        for (const MSscan& r : run.records) {
            const bool nearTheEnd = r.scanNumber > run.size() - context.parameters.groupScans;
            const bool mayKeep = r.msLevel == 1 && (nearTheEnd || r.scanNumber == lastSurvey + 1);
            if (!r.peaks.empty() && !mayKeep) ++o.keepingPeaks;
            o.records += formatText("%d %d %d %d %d %d %d %.6f %.6f %.6f %.6f %.6f %d %s\n", r.scanNumber, r.lastScanNumber,
                                    r.msLevel, r.charge, r.chargePending, r.rejected, r.numPeaks, r.parentMz,
                                    r.parentMzCentroid, r.parentSignalNoise, r.precursorIntensity,
                                    r.specFeatures.ICATheavyIntensity, r.numMergedScans,
                                    r.specFeatures.maxSequenceTag.c_str());
        }
        return o;
    }

    RunTable run;
    const TempDir& folder_;
};

// The stages one after the other, as the driver ran them before they were interleaved.
Outcome wholeTable(const std::string& runPath, const std::string& query) {
    TempDir folder;
    Extraction e(query, folder);
    readVelmoraDataIntoMemory(runPath, e.run, e.context);
    if (!e.run.noMSscans) preprocessMSscans(e.run, e.context);
    mergeNearbyMSMSspectra(e.run, e.context);
    determinePrecursorCharges(e.run, e.context);
    if (e.context.parameters.chargeFromSurveyIsotopes != 0 && !e.run.noMSscans) {
        chargePrecursorsFromSurveyIsotopes(e.run, e.context);
    }
    filterMSMSspectra(e.run, e.context);
    if (!e.run.noMSscans) calculatePrecursorTICs(e.run.records, e.context);
    processVelmoraLCMSMSrun(e.run, e.context);
    writeRunStatistics(countRunStatistics(e.run), e.context.parameters.maxCharge, e.context.getRunStatsStream());
    return e.outcome();
}

Outcome interleaved(const std::string& runPath, const std::string& query, std::int32_t block) {
    TempDir folder;
    Extraction e(query, folder);
    RunReading reading(runPath, e.run, e.context);
    RunStages stages(e.run, e.context);
    while (!reading.done()) {
        reading.readUpTo(reading.frontier() + block);
        stages.advance(reading.frontier(), reading.done());
    }
    reading.finish();
    stages.finish(false);
    return e.outcome();
}

TEST(InterleavedStages, LeaveWhatTheWholeTablePassesLeave) {
    WorkFolder work;
    work.generate("--folder --spectra 900 --top 4 --seed 5 --peptides 400 --survey-ppm 3 --output " + work.file("r.d"));
    const std::string runPath = work.file("r.d");
    struct Case {
        std::int32_t block;
        std::string query;
    };
    for (const Case& c : std::vector<Case>{
             {1, "autoCharge=Find&groupScans=13&lastScan=99999"},
             {7, "autoCharge=Find&groupScans=41&findMonoisotopicParent=1&chargeFromSurveyIsotopes=1&cys=ICAT-mix&"
                 "peakListFormat=both&lastScan=99999"},
             {64, "autoCharge=Default&groupScans=2&firstScan=200&lastScan=700"},
             {5, "autoCharge=Find&groupScans=0&lastScan=99999"},
             {2, "lowCharge=3&highCharge=3&groupScans=1&lastScan=99999"},
         }) {
        testing::internal::CaptureStdout();
        const Outcome expected = wholeTable(runPath, c.query);
        const Outcome got = interleaved(runPath, c.query, c.block);
        testing::internal::GetCapturedStdout();
        EXPECT_GT(expected.files.size(), 50u) << c.query;
        EXPECT_EQ(got.keepingPeaks, 0u) << c.query;
        EXPECT_EQ(got.files, expected.files) << c.query;
        EXPECT_EQ(got.logs, expected.logs) << c.query;
        EXPECT_EQ(got.records, expected.records) << c.query;
    }
}

}  // namespace
