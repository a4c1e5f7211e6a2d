#pragma once
// Each stage over a whole table at once, as the tests run them one after the
// other; the programs drive them a block at a time.
#include <cstdint>
#include <vector>

#include "core/extractor/extraction_context.h"
#include "core/extractor/precursor_tics.h"
#include "wiffharvest/isotope_spacing_charges.h"
#include "yepharvest/ms_scan_preprocessing.h"
#include "yepharvest/msms_filtering.h"
#include "yepharvest/msms_merging.h"
#include "yepharvest/precursor_charge.h"
#include "yepharvest/spectral_files.h"
#include "yepharvest/survey_isotope_charges.h"

inline void preprocessMSscans(RunTable& run, const ExtractionContext& context) {
    preprocessMSscans(run, 0, run.numScans(), context);
}
inline void filterMSMSspectra(RunTable& run, const ExtractionContext& context) {
    filterMSMSspectra(run, 0, run.numScans(), context);
}
inline void mergeNearbyMSMSspectra(RunTable& run, const ExtractionContext& context) {
    mergeNearbyMSMSspectra(run, 0, run.numScans(), context);
}
inline void determinePrecursorCharges(RunTable& run, const ExtractionContext& context) {
    determinePrecursorCharges(run, 0, run.numScans(), context);
}
inline void chargePrecursorsFromSurveyIsotopes(RunTable& run, const ExtractionContext& context) {
    chargePrecursorsFromSurveyIsotopes(run, 0, run.numScans(), context);
}
inline void processVelmoraLCMSMSrun(const RunTable& run, const ExtractionContext& context) {
    PeakListWriting writing(velmoraPeakListOutput(context), context);
    processVelmoraLCMSMSrun(run, 0, run.numScans(), writing);
    writing.finish();
}
inline void assignChargesFromIsotopeSpacing(ScanTable& table, std::int32_t n, const ExtractionContext& context) {
    assignChargesFromIsotopeSpacing(table, 0, n, context);
}
template <class Record>
void calculatePrecursorTICs(std::vector<Record>& records, const ExtractionContext& context) {
    calculatePrecursorTICs(records, 0, static_cast<std::int32_t>(records.size()), context);
}
