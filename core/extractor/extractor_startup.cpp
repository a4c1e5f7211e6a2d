#include "core/extractor/extractor_startup.h"

#include "core/chemistry/amino_acids.h"
#include "core/chemistry/elements.h"
#include "core/extractor/extractor_parameters.h"
#include "core/extractor/output_files.h"
#include "core/peaks/peak_pick_params.h"
#include "core/util/cgi_query.h"
#include "core/util/checked_file.h"
#include "core/util/fatal_error.h"
#include "core/util/html_page.h"

int initialiseExtractor() {
    unbufferStandardOutput();
    setErrorPrinter(writeErrorPage);
    const std::vector<QueryEntry> entries = query();
    setExtractorParameterDefaults();
    readExtractorParameters(entries);
    const ExtractorParameters& parameters = extractorParameters();

    initialise_amino_acid_weights("H", "O H", "H", parameters.cys, "C2 H3 N1 O1", formulaMonoisotopicMass);

    // Centroiding stays off (below its 0.0001 threshold) until an instrument
    // block asks for it.
    const PeakPickParams picking = get_PeakPickParams();
    set_PeakPickParams(0.00001, parameters.minSignalNoiseRatio, parameters.peakLimitCount, picking.bypassDeIsotoping,
                       picking.bypassSignalNoiseThresholding);

    // Every mode opens the four logs: the stages of both programs write their
    // rows whatever the mode, and must never write to a stream not opened.
    if (parameters.xtractorMode == "Peak-Picker") {
        openXtractorOutputFiles();
        openResultsPage();
    } else {
        openXtractorOutputFiles();
    }
    return 1;
}
