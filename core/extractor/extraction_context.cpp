#include "core/extractor/extraction_context.h"

void ExtractionContext::useInstrument(const std::string& instrumentName) {
    InstrumentSettings settings = initialise_instrument_specifics(instrumentName, picking);
    instrument = std::move(settings.specifics);
    picking = settings.picking;
}
