#pragma once
// What a precursor charge rests on. The .pkl header, the charge log and the
// statistics carry every charge the stages decide; an MGF states only those
// a search engine can trust, since given a charge it searches that charge
// alone, and given none it tries the likely ones itself.
#include <cstdint>

enum class ChargeSource : std::uint8_t {
    none,            // no charge decided
    fixed,           // the query's lowCharge = highCharge: the user's own decision
    fragmentsAlone,  // fragments above the precursor (or none): called singly charged
    fragmentPairs,   // b/y-pair counts without the survey scans' support
    surveyScan,      // neighbouring charge states of the precursor in the survey scans
    surveyIsotopes,  // the precursor's resolved isotope envelope in the survey scan
    isotopeSpacing,  // the 12C-13C spacing of the precursor in the survey scan
    instrument,      // the instrument's own charge, read with the spectrum
};

// Whether an MGF states a charge of this source; the instrument's own
// charges count only where instrument.txt declares its charges certain.
bool chargeIsEstablished(ChargeSource source, std::int32_t instrumentChargesCertain);

// The charge an MGF block states: 0 (no CHARGE line) unless established.
inline std::int32_t statedCharge(std::int32_t charge, ChargeSource source, std::int32_t instrumentChargesCertain) {
    return charge != 0 && chargeIsEstablished(source, instrumentChargesCertain) ? charge : 0;
}
