// A sample's stages run interleaved over its scan table, a few records at a
// time behind the reading, leave exactly what they leave run one after the
// other over the whole table: every record, every log row, every peak-list
// file and MGF block, and the counts the page prints.
#include <gtest/gtest.h>

#include "tests/support/whole_table_stages.h"
#include "core/extractor/precursor_tics.h"
#include "core/util/format_text.h"
#include "tests/support/query_context.h"
#include "tests/support/work_folder.h"
#include "wiffharvest/filter_and_merge.h"
#include "wiffharvest/isotope_spacing_charges.h"
#include "wiffharvest/run_counts.h"
#include "wiffharvest/sample_stages.h"
#include "wiffharvest/spectral_files.h"
#include "wiffharvest/wiff_reader.h"

namespace {

struct Outcome {
    std::string logs;
    std::map<std::string, std::string> files;
    std::string records;
    std::string page;
};

// Every sample of the .wiff file through the stages: one after the other
// over each whole table (block 0), or interleaved in blocks.
Outcome extract(const std::string& wiff, const std::string& query, std::int32_t block) {
    TempDir folder;
    QueryContext q("xtractorDataFilename=" + wiff + "&resultsXtractorDir=" + folder.path() + "/&" + query);
    ExtractionContext& context = q.context;
    context.runName = "lys";
    Outcome o;
    testing::internal::CaptureStdout();
    SciexInstrument instrument;
    const std::int32_t samples = openWiffFile(wiff, context, instrument);
    context.useInstrument(instrument.instrumentBlock());
    for (std::int32_t sample = 1; sample <= samples; ++sample) {
        ScanTable table;
        if (block == 0) {
            const std::int32_t n = readSciexScansIntoMemory(wiff, sample, table, context, instrument);
            std::printf("# spectra: %d\n<BR>numNonRejectedMSMSspectra: %d", n, countNonRejectedMSMSspectra(table, n));
            if (!table.noMSscans) assignChargesFromIsotopeSpacing(table, n, context);
            filterAndMergeMSMSspectra(table, n, context, instrument);
            std::printf("filtered\n<BR>numNonRejectedMSMSspectra: %d", countNonRejectedMSMSspectra(table, n));
            if (!table.noMSscans) calculatePrecursorTICs(table.records, context);
            processSciexDDErun(table, n, sample, context, instrument);
            writeRunStatistics(countRunStatistics(table, n), context.parameters.maxCharge, context.getRunStatsStream());
        } else {
            SampleReading reading(wiff, sample, table, context, instrument);
            SampleStages stages(table, sample, context, instrument);
            while (!reading.done()) {
                reading.readUpTo(reading.frontier() + block);
                stages.advance(reading.frontier());
            }
            stages.finish();
        }
        for (const SciexMSscan& r : table.records) {
            o.records += formatText("%d %d %d %d %d %d %.6f %.6f %.6f %s|", r.scanNumber, r.lastScanNumber, r.charge,
                                    r.rejected, r.mergedAway, r.numPeaks, r.collisionEnergy, r.precursorIntensity,
                                    r.specFeatures.ICATlightIntensity, r.specFeatures.maxSequenceTag.c_str());
        }
    }
    // The counts after reading, merging and filtering, in the order printed.
    const std::string page = testing::internal::GetCapturedStdout();
    const std::string count = "numNonRejectedMSMSspectra: ";
    for (const std::string stage : {"# spectra: ", "Merging done", "filtered\n"}) {
        for (std::size_t at = page.find(stage); at != std::string::npos; at = page.find(stage, at + 1)) {
            const std::size_t number = page.find(count, at) + count.size();
            o.page += stage + page.substr(number, page.find_first_not_of("0123456789", number) - number) + " ";
        }
    }
    o.logs = q.logs.rejectReasons.text() + "|" + q.logs.parentChargeCheck.text() + "|" + q.logs.specFeatures.text() +
             "|" + q.logs.runStats.text();
    o.files = folderContents(folder.path());
    return o;
}

TEST(SampleStages, LeaveWhatTheWholeTablePassesLeave) {
    WorkFolder work;
    work.generate("--sciex qstar --samples 2 --profile --chargeless 0.4 --spectra 700 --seed 9 --peptides 250 --output " +
                  work.file("lys.wiff"));
    for (const auto& [block, query] : std::vector<std::pair<std::int32_t, std::string>>{
             {1, "lastScan=99999&groupScans=13"},
             {6, "firstScan=150&lastScan=560&groupScans=37&cys=ICAT-mix&peakListFormat=both"},
             {50, "lastScan=99999&groupScans=0"},
             {1, "firstScan=90&lastScan=400&groupScans=4"},
         }) {
        const Outcome expected = extract(work.file("lys.wiff"), query, 0);
        const Outcome got = extract(work.file("lys.wiff"), query, block);
        EXPECT_GT(expected.files.size(), 50u) << query;
        EXPECT_EQ(got.files, expected.files) << query;
        EXPECT_EQ(got.logs, expected.logs) << query;
        EXPECT_EQ(got.records, expected.records) << query;
        EXPECT_EQ(got.page, expected.page) << query;
    }
}

}  // namespace
