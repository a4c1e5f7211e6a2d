#include "platform/analyst/period_info.h"

#include "platform/analyst/wiff_run.h"

ExperimentInfo PeriodInfo::experimentInfo(std::int32_t experiment) const {
    WiffRun::checkExperiment(*period_, experiment, "IPeriodInfo");
    return ExperimentInfo(period_->scanType(experiment));
}
