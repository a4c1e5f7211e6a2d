// The pipeline that runs the stages of both programs close behind the
// reading: a stage never runs over records whose inputs within its reach
// are not final, the logs' rows come in the order of the stages run one
// after the other, and a stage that writes a log it did not declare ends
// the process before its rows reach a file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/extractor/stage_pipeline.h"
#include "core/util/format_text.h"
#include "tests/support/child_process.h"
#include "tests/support/query_context.h"

namespace {

struct Ran {
    std::size_t stage;
    std::int32_t first, end;
    std::int32_t readFrontiers[3];  // of stages 0..2 when it ran
};

// Three stages after the reading: B reads A with a reach of 2, C reads B and
// A with reach 5, D waits for the whole reading. Each writes a row per
// record to the reject-reasons log (B to the charge-check log too).
struct Pipeline {
    explicit Pipeline(const ExtractionContext& context)
        : pipeline(context, {
                                {.name = "reading", .logs = rejectReasonsLog},
                                stage("B", {{0, 2}}, rejectReasonsLog | chargeCheckLog, 1),
                                stage("C", {{1, 0}, {0, 5}}, rejectReasonsLog, 2),
                                stage("D", {{2, 0}, {0, kWholeTable}}, rejectReasonsLog, 3),
                            }) {}

    PipelineStage stage(const char* name, std::vector<StageInput> reads, unsigned logs, std::size_t index) {
        return {.name = name,
                .reads = std::move(reads),
                .logs = logs,
                .run =
                    [this, name, index](std::int32_t first, std::int32_t end, const ExtractionContext& c) {
                        ran.push_back({index, first, end, {frontierOf(0), frontierOf(1), frontierOf(2)}});
                        for (std::int32_t i = first; i < end; ++i) {
                            c.logs.rejectReasons->write(formatText("\n%s%d", name, i));
                            if (index == 1) c.logs.parentChargeCheck->write(formatText("\nB%d", i));
                        }
                    },
                .release = [this, index](std::int32_t first, std::int32_t end) {
                    released.push_back({index, first, end, {}});
                }};
    }
    std::int32_t frontierOf(std::size_t s) const { return pipeline.frontier(s); }

    std::vector<Ran> ran;
    std::vector<Ran> released;
    StagePipeline pipeline;
};

std::string wholeTableOrder(std::int32_t count) {
    std::string rows;
    for (const char* name : {"B", "C", "D"}) {
        for (std::int32_t i = 0; i < count; ++i) rows += formatText("\n%s%d", name, i);
    }
    return rows;
}

TEST(StagePipeline, RunsEachStageWithinItsReachAndKeepsWholeTableRowOrder) {
    constexpr std::int32_t count = 12;
    for (const std::int32_t block : {1, 3, 5, 12}) {
        SCOPED_TRACE(block);
        QueryContext q("");
        Pipeline p(q.context);
        for (std::int32_t read = 0; read < count;) {
            read = std::min(read + block, count);
            p.pipeline.advance(read, read == count, count);
        }
        std::vector<std::int32_t> covered(4, 0);
        for (const Ran& r : p.ran) {
            ASSERT_EQ(r.first, covered[r.stage]) << "stage " << r.stage << " skipped or repeated records";
            covered[r.stage] = r.end;
            const std::int32_t read = r.readFrontiers[0];
            const bool all = read >= count;
            const bool withinReach = r.stage == 1   ? r.end <= read - 2
                                     : r.stage == 2 ? r.end <= read - 5 && r.end <= r.readFrontiers[1]
                                                    : false;  // D waits for the whole reading
            EXPECT_TRUE(all || withinReach) << "stage " << r.stage << " ran to " << r.end << " after " << read;
        }
        EXPECT_EQ(covered, (std::vector<std::int32_t>{0, count, count, count}));
        EXPECT_EQ(q.logs.rejectReasons.text(), wholeTableOrder(count));
        std::string b;
        for (std::int32_t i = 0; i < count; ++i) b += formatText("\nB%d", i);
        EXPECT_EQ(q.logs.parentChargeCheck.text(), b);
        // Every stage releases exactly the records it has newly passed (the
        // reading here has nothing to release).
        std::vector<std::int32_t> released(4, 0);
        for (const Ran& r : p.released) {
            ASSERT_EQ(r.first, released[r.stage]);
            released[r.stage] = r.end;
        }
        EXPECT_EQ(released, (std::vector<std::int32_t>{0, count, count, count}));
    }
}

TEST(StagePipeline, StagesRunOnceOverAnEmptyTable) {
    QueryContext q("");
    Pipeline p(q.context);
    p.pipeline.advance(0, true, 0);
    p.pipeline.advance(0, true, 0);
    ASSERT_EQ(p.ran.size(), 3u);
    for (const Ran& r : p.ran) EXPECT_EQ(r.end, 0);
}

TEST(StagePipeline, AStageWritingALogItDidNotDeclareEndsTheProcess) {
    const ChildResult child = runInChild([] {
        QueryContext q("");
        StagePipeline pipeline(q.context,
                               {{.name = "reading", .logs = 0},
                                {.name = "tics",
                                 .reads = {{0, 0}},
                                 .logs = chargeCheckLog,
                                 .run = [](std::int32_t, std::int32_t,
                                           const ExtractionContext& c) { c.logs.rejectReasons->write("\nrow"); }}});
        pipeline.advance(4, true, 4);
    });
    EXPECT_EQ(child.exitStatus, 1);
    EXPECT_NE(child.output.find("The stage tics wrote to xtractorRejectReasons.txt, a log it does not declare."),
              std::string::npos)
        << child.output;
}

}  // namespace
