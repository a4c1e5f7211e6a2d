#include "core/extractor/stage_pipeline.h"

#include <algorithm>

namespace {

std::vector<StagedLogs::Declared> declaredLogs(const std::vector<PipelineStage>& stages) {
    std::vector<StagedLogs::Declared> declared;
    for (const PipelineStage& stage : stages) declared.push_back({stage.name, stage.logs});
    return declared;
}

}  // namespace

StagePipeline::StagePipeline(const ExtractionContext& context, std::vector<PipelineStage> stages)
    : stages_(std::move(stages)), logs_(context, declaredLogs(stages_)), frontiers_(stages_.size(), 0),
      reachedEnd_(stages_.size(), false) {}

void StagePipeline::advance(std::int32_t read, bool readingDone, std::int32_t count) {
    const std::vector<std::int32_t> before = frontiers_;
    for (std::size_t s = 0; s < stages_.size(); ++s) {
        const PipelineStage& stage = stages_[s];
        std::int32_t to = readingDone ? count : read;
        if (s > 0) {
            to = count;
            for (const StageInput& input : stage.reads) {
                to = std::min(to, frontierBehind(frontiers_[input.stage], input.reach, count));
            }
            to = std::max(frontiers_[s], to);
        }
        const bool atEnd = to >= count && !reachedEnd_[s];
        if (stage.run && (to > frontiers_[s] || atEnd)) stage.run(frontiers_[s], to, logs_.context(s));
        frontiers_[s] = to;
        if (atEnd) reachedEnd_[s] = true;
    }
    for (std::size_t s = 0; s < stages_.size(); ++s) {
        if (s == 0 ? readingDone : frontiers_[s] >= count) logs_.complete(s);
    }
    logs_.pass();
    for (std::size_t s = 0; s < stages_.size(); ++s) {
        if (stages_[s].release) stages_[s].release(before[s], frontiers_[s]);
    }
}

void StagePipeline::finish(std::int32_t count) {
    advance(count, true, count);
    for (const PipelineStage& stage : stages_) {
        if (stage.progress) stage.progress();
    }
}
