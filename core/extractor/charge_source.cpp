#include "core/extractor/charge_source.h"

bool chargeIsEstablished(ChargeSource source, std::int32_t instrumentChargesCertain) {
    switch (source) {
        case ChargeSource::fixed:
        case ChargeSource::surveyScan:
        case ChargeSource::surveyIsotopes:
        case ChargeSource::isotopeSpacing: return true;
        case ChargeSource::instrument: return instrumentChargesCertain != 0;
        // On real runs most singly-charged calls of the fragment test are
        // multiply charged precursors; a b/y-pair count alone is no firmer.
        case ChargeSource::none:
        case ChargeSource::fragmentsAlone:
        case ChargeSource::fragmentPairs: return false;
    }
    return false;
}
