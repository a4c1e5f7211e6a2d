#pragma once
// The acquisition details of one sample: the instrument that took it.
#include <cstdint>
#include <string>

#include "platform/analyst/instrument_family.h"

struct InstrumentInfo {
    std::int32_t reserved = 0;  // the object model fills it; nothing reads it
    std::int32_t modelCode = 0; // 2000 QSTAR, 13 4000 QTRAP, 14 other QTRAP, 0 other
    std::string modelName;

    InstrumentFamily family() const { return instrumentTypeFromModelCode(modelCode); }
};

class AcquisitionInfo {
public:
    explicit AcquisitionInfo(InstrumentInfo instrument) : instrument_(std::move(instrument)) {}
    InstrumentInfo instrumentInfo() const { return instrument_; }

private:
    InstrumentInfo instrument_;
};
