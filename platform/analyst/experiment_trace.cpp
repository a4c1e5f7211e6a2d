#include "platform/analyst/experiment_trace.h"

#include "platform/analyst/wiff_run.h"
#include "platform/com/com_runtime.h"

void ExperimentTrace::setWiffFileName(const std::string& path) { run_ = openWiffRun(path, interfaceName()); }

void ExperimentTrace::selectExperiment(std::int32_t sample, std::int32_t period, std::int32_t experiment) {
    if (!run_) throw ComError(E_FAIL, "No .wiff file is set: call setWiffFileName first.", interfaceName());
    const WiffPeriod& found = run_->period(sample, period, interfaceName());
    WiffRun::checkExperiment(found, experiment, interfaceName());
    std::vector<std::int32_t> cycles;
    std::vector<double> times;
    std::vector<double> signal;
    for (const WiffScan& scan : found.experimentScans(experiment)) {
        cycles.push_back(scan.cycle);
        times.push_back(scan.cycleTime);
        signal.push_back(scan.totalIonCurrent);
    }
    assignSparsePoints(found.cycleCount, std::move(cycles), std::move(times), std::move(signal));
}
