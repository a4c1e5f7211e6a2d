#pragma once
// How far a run's written charges can be trusted: against the instrument's
// charges where the export carries them, and by the share called 1+ (on
// real runs of tryptic digests nearly every precursor carries two or more
// protons, so a large share of 1+ calls points at wrong decisions).
#include <string>
#include <utility>
#include <vector>

#include "tools/report/spectrum_features_log.h"

struct ChargeAgreement {
    long written = 0;
    long singlyCharged = 0;        // written with charge 1
    long withInstrumentCharge = 0; // written spectra whose export gives a charge
    long charged = 0;              // of those, written with a charge
    long agreeing = 0;             // of those, with the instrument's charge

    // More than 10 % of the written spectra are 1+.
    bool manySinglyCharged() const { return singlyCharged * 10 > written; }
};

ChargeAgreement chargeAgreement(const std::vector<WrittenSpectrum>& spectra);

// "sample\twritten\tsingly_charged\tinstrument_charged\tcharged\tagreeing"
// and a row of counts for each (sample, counts): what the workflow's
// overview reads.
std::string chargeAgreementTable(const std::vector<std::pair<int, ChargeAgreement>>& samples);
