#pragma once
// What both programs keep of every scan of a run (or of a sample): one record
// per survey scan or MS/MS spectrum, in acquisition order, record i holding
// scan number i + 1. Each program's record adds its own fields to these.
#include <cstdint>

#include "core/extractor/charge_source.h"
#include "core/peaks/spec_features.h"
#include "core/peaks/spectrum_points.h"

struct SpectrumRecord {
    std::int32_t scanNumber = 0;
    std::int32_t lastScanNumber = 0;  // of the last spectrum merged into this one
    std::int32_t msLevel = 0;         // 0 in a record that was never read
    std::int32_t charge = 0;          // 0 = not determined
    bool chargePending = false;       // no stage has decided the charge yet
    ChargeSource chargeSource = ChargeSource::none;  // what `charge` rests on
    bool rejected = false;            // merged into another, out of range or refused by a filter
    // yepharvest: every scan's peaks; wiffharvest: a survey scan's, and a
    // written MS/MS spectrum's once filtered (until then it keeps full peak
    // records of its own).
    SpectrumPoints peaks;
    std::int32_t numPeaks = 0;        // reported as numOriginalPeaks
    double selectedParentMz = 0.0;    // the precursor m/z as read
    double parentMz = 0.0;            // the precursor m/z the stages use
    double precursorIntensity = 0.0;
    SpecFeatures specFeatures;

    void setCharge(std::int32_t z, ChargeSource source) {
        charge = z;
        chargeSource = z != 0 ? source : ChargeSource::none;
    }
    // A merged group without a charge of its own takes its member's.
    void takeChargeOf(const SpectrumRecord& member) {
        if (charge == 0 && member.charge != 0) setCharge(member.charge, member.chargeSource);
    }

    // A spectrum that becomes a peak list: an MS/MS spectrum with at least
    // two peaks that no stage has rejected.
    bool written() const { return msLevel == 2 && numPeaks > 1 && !rejected; }
};
