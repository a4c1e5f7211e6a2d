#include "platform/analyst/spectrum_data.h"

#include "platform/analyst/wiff_run.h"
#include "platform/com/com_runtime.h"

void SpectrumData::setWiffFileName(const std::string& path) { run_ = openWiffRun(path, interfaceName()); }

void SpectrumData::selectSpectrum(std::int32_t sample, std::int32_t period, std::int32_t experiment, float startTime,
                                  float endTime) {
    if (!run_) throw ComError(E_FAIL, "No .wiff file is set: call setWiffFileName first.", interfaceName());
    const WiffPeriod& found = run_->period(sample, period, interfaceName());
    WiffRun::checkExperiment(found, experiment, interfaceName());

    const WiffScan* nearest = found.nearest(experiment, startTime, endTime);
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
