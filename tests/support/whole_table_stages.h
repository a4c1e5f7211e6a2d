#pragma once
// Each stage over a whole table at once, as the tests run them one after the
// other; the programs drive them a block at a time.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/extractor/extraction_context.h"
#include "core/extractor/precursor_tics.h"
#include "wiffharvest/filter_and_merge.h"
#include "wiffharvest/isotope_spacing_charges.h"
#include "wiffharvest/spectral_files.h"
#include "wiffharvest/wiff_reader.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_filtering.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"
#include "yepharvest/run_reader.h"
#include "yepharvest/spectral_files.h"
#include "yepharvest/survey_isotope_charges.h"

inline void preprocessMSscans(RunTable& run, const ExtractionContext& context) {
    preprocessMSscans(run, 0, run.size(), context);
}
inline void filterMSMSspectra(RunTable& run, const ExtractionContext& context) {
    filterMSMSspectra(run, 0, run.size(), context);
}
inline void mergeNearbyMSMSspectra(RunTable& run, const ExtractionContext& context) {
    mergeNearbyMSMSspectra(run, 0, run.size(), context);
}
inline void determinePrecursorCharges(RunTable& run, const ExtractionContext& context) {
    determinePrecursorCharges(run, 0, run.size(), context);
}
inline void chargePrecursorsFromSurveyIsotopes(RunTable& run, const ExtractionContext& context) {
    chargePrecursorsFromSurveyIsotopes(run, 0, run.size(), context);
}
inline void processVelmoraLCMSMSrun(const RunTable& run, const ExtractionContext& context) {
    PeakListWriting writing(velmoraPeakListOutput(context), context);
    processVelmoraLCMSMSrun(run, 0, run.size(), writing);
    writing.finish();
}
inline void assignChargesFromIsotopeSpacing(ScanTable& table, std::int32_t n, const ExtractionContext& context) {
    assignChargesFromIsotopeSpacing(table, 0, n, context);
}
template <class Record>
void calculatePrecursorTICs(std::vector<Record>& records, const ExtractionContext& context) {
    calculatePrecursorTICs(records, 0, static_cast<std::int32_t>(records.size()), context);
}

// The whole run at once: 0 when it was read, 1 when opening or reading failed
// (the records read so far stay, and the page says that the run goes on with
// those).
inline int readVelmoraDataIntoMemory(const std::string& runPath, RunTable& run, const ExtractionContext& context) {
    RunReading reading(runPath, run, context);
    reading.readUpTo(run.size());
    return reading.finish();
}
// The whole sample at once; returns n.
inline std::int32_t readSciexScansIntoMemory(const std::string& path, std::int32_t sample, ScanTable& table,
                                             const ExtractionContext& context, const SciexInstrument& instrument) {
    SampleReading reading(path, sample, table, context, instrument);
    reading.readUpTo(reading.count());
    return reading.count();
}
// The first n records, both phases one after the other, with the count of
// spectra left between them.
inline void filterAndMergeMSMSspectra(ScanTable& table, std::int32_t n, const ExtractionContext& context,
                                      const SciexInstrument& instrument) {
    // Every merged list is complete before any spectrum's features are computed.
    rejectOutOfRangeAndMerge(table, 0, n, context, instrument);
    std::printf("<BR>Merging done: \n");
    std::printf("<BR>numNonRejectedMSMSspectra: %d", countNonRejectedMSMSspectra(table, n));
    filterMergedSpectra(table, 0, n, context);
}
// The first n records at once.
inline void processSciexDDErun(const ScanTable& table, std::int32_t n, std::int32_t sample,
                               const ExtractionContext& context, const SciexInstrument& instrument) {
    PeakListWriting writing(sciexPeakListOutput(sample, context, instrument), context);
    processSciexDDErun(table, 0, n, sample, writing);
    writing.finish();
}
