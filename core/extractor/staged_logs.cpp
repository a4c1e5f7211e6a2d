#include "core/extractor/staged_logs.h"

#include <array>
#include <cerrno>
#include <string>

#include "core/util/fatal_error.h"

namespace {

constexpr std::array<StageLog, 4> kLogs = {chargeCheckLog, rejectReasonsLog, specFeaturesLog, runStatsLog};
constexpr std::array<const char*, 4> kLogNames = {"parentChargeCheck.txt", "xtractorRejectReasons.txt",
                                                  "the spectrum-features log", "runStats.txt"};

LogSink*& sinkOf(ExtractionLogs& logs, StageLog log) {
    switch (log) {
        case chargeCheckLog: return logs.parentChargeCheck;
        case rejectReasonsLog: return logs.rejectReasons;
        case specFeaturesLog: return logs.specFeatures;
        default: return logs.runStats;
    }
}

}  // namespace

struct StagedLogs::Stage {
    const char* name = "";
    unsigned writes = 0;
    bool complete = false;
    std::array<LogSink, 4> held;  // in memory, one per log, in kLogs order
    ExtractionContext context;
};

StagedLogs::StagedLogs(const ExtractionContext& run, const std::vector<Declared>& stages) : runLogs_(run.logs) {
    for (const Declared& declared : stages) {
        auto stage = std::make_unique<Stage>();
        stage->name = declared.stage;
        stage->writes = declared.writes;
        stage->context = run;
        for (std::size_t l = 0; l < kLogs.size(); ++l) sinkOf(stage->context.logs, kLogs[l]) = &stage->held[l];
        stages_.push_back(std::move(stage));
    }
}

StagedLogs::~StagedLogs() = default;

const ExtractionContext& StagedLogs::context(std::size_t stage) const { return stages_[stage]->context; }

void StagedLogs::complete(std::size_t stage) { stages_[stage]->complete = true; }

void StagedLogs::pass() {
    for (const std::unique_ptr<Stage>& stage : stages_) {
        for (std::size_t l = 0; l < kLogs.size(); ++l) {
            if ((stage->writes & kLogs[l]) == 0 && !stage->held[l].text().empty()) {
                errno = 0;  // no system error behind it
                reportFatalError(std::string("The stage ") + stage->name + " wrote to " + kLogNames[l] +
                                 ", a log it does not declare.\nFunction: StagedLogs::pass.\n");
            }
        }
    }
    for (std::size_t l = 0; l < kLogs.size(); ++l) {
        for (const std::unique_ptr<Stage>& stage : stages_) {
            LogSink& held = stage->held[l];
            if (!held.text().empty()) {
                sinkOf(runLogs_, kLogs[l])->write(held.text());
                held = LogSink();
            }
            if ((stage->writes & kLogs[l]) != 0 && !stage->complete) break;
        }
    }
}
