#pragma once
// How far the charges a search engine is given can be trusted: those the
// MGF states (the .pkl headers' where no MGF was read), against the
// instrument's charges where the export carries them, and by the share
// stated 1+ (on real runs of tryptic digests nearly every precursor carries
// two or more protons, so a large share of 1+ points at wrong decisions).
// The charges the stages decided stay in the charge log and the statistics.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/report/spectrum_features_log.h"

// The charge a search engine is given for a written spectrum: its MGF
// block's, else its .pkl header's.
int givenCharge(const WrittenSpectrum& spectrum);

struct ChargeAgreement {
    long written = 0;
    std::map<int, long> stated;    // written spectra by the charge given; 0: left to the search engine
    long withInstrumentCharge = 0; // written spectra whose export gives a charge
    long charged = 0;              // of those, given a charge
    long agreeing = 0;             // of those, given the instrument's charge

    long singlyCharged() const { return stated.contains(1) ? stated.at(1) : 0; }
    // More than 10 % of the written spectra are given 1+.
    bool manySinglyCharged() const { return singlyCharged() * 10 > written; }
};

ChargeAgreement chargeAgreement(const std::vector<WrittenSpectrum>& spectra);

// "sample\twritten\tsingly_charged\tinstrument_charged\tcharged\tagreeing
// \topen\tstated_1\t...\tstated_N" (N: 3, or the highest charge stated) and
// a row of counts for each (sample, counts): what the workflow's overview
// reads. "open" counts the spectra left to the search engine.
std::string chargeAgreementTable(const std::vector<std::pair<int, ChargeAgreement>>& samples);
