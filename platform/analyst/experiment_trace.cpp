#include "platform/analyst/experiment_trace.h"

#include "platform/analyst/wiff_run.h"
#include "platform/com/com_runtime.h"

void ExperimentTrace::setWiffFileName(const std::string& path) { run_ = openWiffRun(path, interfaceName()); }

void ExperimentTrace::selectExperiment(std::int32_t sample, std::int32_t period, std::int32_t experiment) {
    if (!run_) throw ComError(E_FAIL, "No .wiff file is set: call setWiffFileName first.", interfaceName());
    const WiffPeriod& found = run_->period(sample, period, interfaceName());
    WiffRun::checkExperiment(found, experiment, interfaceName());
    std::vector<double> times(static_cast<std::size_t>(found.cycleCount), 0.0);
    std::vector<double> signal(times.size(), 0.0);
    for (const WiffScan& scan : found.experimentScans(experiment)) {
        times[static_cast<std::size_t>(scan.cycle)] = scan.cycleTime;
        signal[static_cast<std::size_t>(scan.cycle)] = scan.totalIonCurrent;
    }
    assignPoints(std::move(times), std::move(signal), "");
}
