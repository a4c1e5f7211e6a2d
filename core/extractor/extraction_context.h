#pragma once
// Everything one extraction run reads besides its scan table: the query's
// parameters, the instrument's settings, the peak-picking settings after the
// instrument block, the four logs and the run name. The start-up builds it,
// the driver loads its instrument and names the run; every stage then takes
// it read-only.
#include <string>
#include <vector>

#include "core/chemistry/amino_acids.h"
#include "core/extractor/extractor_parameters.h"
#include "core/extractor/instrument_specifics.h"
#include "core/extractor/log_sink.h"
#include "core/peaks/peak_pick_params.h"

enum class PeakListFormat;  // peak_list_formats.h

struct ExtractionContext {
    ExtractorParameters parameters;
    InstrumentSpecifics instrument = applyInstrumentDefaults();
    PeakPickParams picking;
    ChemistryTables chemistry;  // with the query's cysteine modification
    ExtractionLogs logs;
    std::string runName;
    std::vector<PeakListFormat> peakListFormats;  // from peakListFormat

    // Loads the instrument's block from instrument.txt (ends the process when
    // there is none) over the start-up's picking settings.
    void useInstrument(const std::string& instrumentName);

    // The accessors every stage has always used.
    LogSink& getParentChargeCheckStream() const { return *logs.parentChargeCheck; }
    LogSink& getRejectReasonsStream() const { return *logs.rejectReasons; }
    LogSink& getSpecFeaturesStream() const { return *logs.specFeatures; }
    LogSink& getRunStatsStream() const { return *logs.runStats; }

    // What peak picking reads: the picking settings and the instrument's
    // charge certainty and fragment mass floor.
    PeakPickSettings peakPickSettings() const {
        return {picking, instrument.instrument_charges_certain, instrument.min_fragment_mass, chemistry.groups};
    }
};
