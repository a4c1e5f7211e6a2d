#include "platform/analyst/spectrum_data.h"

#include <cmath>

#include "platform/analyst/wiff_run.h"
#include "platform/com/com_runtime.h"

namespace {
constexpr double timeTolerance = 0.001;  // seconds
}

void SpectrumData::setWiffFileName(const std::string& path) { run_ = openWiffRun(path, interfaceName()); }

void SpectrumData::selectSpectrum(std::int32_t sample, std::int32_t period, std::int32_t experiment, float startTime,
                                  float endTime) {
    if (!run_) throw ComError(E_FAIL, "No .wiff file is set: call setWiffFileName first.", interfaceName());
    const WiffPeriod& found = run_->period(sample, period, interfaceName());
    WiffRun::checkExperiment(found, experiment, interfaceName());

    const double middle = (static_cast<double>(startTime) + static_cast<double>(endTime)) / 2.0;
    const double reach = timeTolerance + std::fabs(static_cast<double>(endTime) - static_cast<double>(startTime)) / 2.0;
    const WiffScan* nearest = nullptr;
    double nearestDistance = 0.0;
    for (const WiffScan& scan : found.experimentScans(experiment)) {
        const double distance = std::fabs(static_cast<double>(scan.cycleTime) - middle);
        if (distance > reach) continue;
        if (nearest == nullptr || distance < nearestDistance ||
            (distance == nearestDistance && scan.exportIndex < nearest->exportIndex)) {
            nearest = &scan;
            nearestDistance = distance;
        }
    }
    if (nearest == nullptr) {
        assignPoints({}, {}, "");
        return;
    }
    ExportArrays arrays;
    try {
        arrays = run_->sample(sample, interfaceName()).source->arrays(nearest->exportIndex);
    } catch (const ExportReadError& error) {
        throw ComError(E_FAIL, error.what(), interfaceName());
    }
    assignPoints(std::move(arrays.mz), std::move(arrays.intensity), nearest->description);
}
