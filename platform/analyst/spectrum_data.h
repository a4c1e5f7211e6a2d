#pragma once
// One selected spectrum: its m/z values (x), intensities (y) and the scan's
// description, "Product (652.3400) CE (32): Charge (+2)" or "TOF MS".
#include <cstdint>
#include <memory>
#include <string>

#include "platform/analyst/data_points.h"

class WiffRun;

class SpectrumData : public DataPoints {
public:
    SpectrumData() : DataPoints("ISpectrumData") {}

    // Opens the .wiff file as WiffApplication::openWiff does.
    void setWiffFileName(const std::string& path);
    // Selects the experiment's spectrum whose cycle time lies nearest the
    // middle of [startTime, endTime] and within 0.001 s of that range; on a
    // tie the first in the export. Nothing there: an empty selection (no
    // points, description ""). Sample 1-based, period and experiment
    // 0-based; 0x80004005 before a file is set, 0x80070057 for indices
    // outside it.
    void selectSpectrum(std::int32_t sample, std::int32_t period, std::int32_t experiment, float startTime,
                        float endTime);

private:
    std::shared_ptr<const WiffRun> run_;
};
