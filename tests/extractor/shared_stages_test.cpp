// The stages both programs share, as the core declares them: each says its
// line once the whole table is done, in stage order and after every stage
// has run; the precursor intensities are skipped, line and all, in a table
// without survey scans, so that a precursor keeps the intensity it was read
// with.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/extractor/shared_stages.h"
#include "tests/support/query_context.h"

namespace {

struct Record : SpectrumRecord {};

TEST(StagePipeline, FinishRunsEveryStageToTheEndThenSaysEachLineInStageOrder) {
    QueryContext q("");
    std::vector<std::string> events;
    const auto stage = [&](const char* name, std::vector<StageInput> reads, bool line) {
        PipelineStage s{.name = name,
                        .reads = std::move(reads),
                        .run = [&events, name](std::int32_t, std::int32_t end,
                                               const ExtractionContext&) { events.push_back(name + std::to_string(end)); }};
        if (line) s.progress = [&events, name] { events.push_back(std::string("line ") + name); };
        return s;
    };
    StagePipeline pipeline(q.context, {stage("R", {}, true), stage("A", {{0, 2}}, true), stage("B", {{1, 0}}, false),
                                       stage("C", {{2, 0}, {0, kWholeTable}}, true)});
    pipeline.advance(6, false, 10);
    // A stays 2 behind the reading, B follows A, C waits for the whole table.
    EXPECT_EQ(events, (std::vector<std::string>{"R6", "A4", "B4"}));
    events.clear();
    pipeline.finish(10);
    EXPECT_EQ(events, (std::vector<std::string>{"R10", "A10", "B10", "C10", "line R", "line A", "line C"}));
}

// A survey scan with 1000 within the tolerance of m/z 500 and 7 outside it,
// then an MS/MS spectrum of precursor 500 read with intensity 100 (as a
// .wiff label gives it).
struct TICsCase {
    const char* name;
    bool noMSscans;
    double precursorIntensity;  // after the stage
    const char* line;
};

TEST(SharedStages, PrecursorTICsRunOnlyInATableWithSurveyScans) {
    const std::vector<TICsCase> cases = {
        {"survey scans", false, 1000.0, "<BR>Calculated precursor TICs in intervening MS scans.\n<after>"},
        {"no survey scans", true, 100.0, ""},
    };
    for (const TICsCase& c : cases) {
        SCOPED_TRACE(c.name);
        QueryContext q("groupScans=2&parentTolerance=0.5");
        RecordTable<Record> table;
        table.records.resize(2);
        table[0].scanNumber = 1;
        table[0].msLevel = c.noMSscans ? 0 : 1;  // never read: no survey scan counts
        table[0].peaks = {{499.8, 1000.0}, {501.0, 7.0}};
        table[1].scanNumber = 2;
        table[1].msLevel = 2;
        table[1].numPeaks = 5;
        table[1].parentMz = 500.0;
        table[1].precursorIntensity = 100.0;
        table.noMSscans = c.noMSscans;
        SurveyScansInReach surveys(precursorTICsReach(q.context.parameters));
        StagePipeline pipeline(
            q.context,
            {{.name = "reading",
              .release =
                  [&](std::int32_t first, std::int32_t end) {
                      for (std::int32_t i = first; i < end; ++i) {
                          if (table[i].msLevel == 1) surveys.add(i);
                      }
                  }},
             precursorTICsStage(table, 0, 0, surveys, q.context.parameters, [] { std::printf("<after>"); })});
        testing::internal::CaptureStdout();
        pipeline.advance(2, true, 2);
        pipeline.finish(2);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
        EXPECT_EQ(table[1].precursorIntensity, c.precursorIntensity);
    }
}

}  // namespace
